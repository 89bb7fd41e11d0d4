// The command channel to the running services. A service listens on the
// stream socket RunDir/<service name>.sock and runs while RunDir/<service
// name>.pid names a live process. Each request uses its own connection:
// connect, write the request, read the answer where there is one, close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

inline constexpr uint32_t kCommandCode = 4096;
inline constexpr uint32_t kCommandWithAnswerCode = 4099;
// The most a length-prefixed answer may announce; a larger count is taken as
// a broken answer rather than allocated.
inline constexpr size_t kLengthPrefixedAnswerMax = 16 << 20;

// The decimal pid on the first line of a pid file's text; nullopt for
// anything else.
std::optional<int64_t> ParsePidFile(std::string_view content);

class ServiceChannel {
 public:
  // Connects through `env`, which outlives the channel. `run_dir` ends
  // with a separator. `read_timeout_ms` bounds every read.
  ServiceChannel(Env& env, std::string run_dir, int read_timeout_ms = 5000);

  // $TARVELIN_RUN_DIR (separator ensured) when set, else install_path + "run/".
  static std::string RunDirectory(Env& env, std::string_view install_path);

  Env& env() const { return *env_; }

  const std::string& run_dir() const { return run_dir_; }

  // True when the id's pid file names a process that has not ended (an
  // unreaped zombie has).
  bool IsServiceRunning(int service_id) const;
  // That pid, or nullopt when the service does not run.
  std::optional<int64_t> RunningPid(int service_id) const;

  // Sends the 20-byte command (code, message, first, second, 0) without a
  // running check. With an answer wanted the result is the first 32-bit
  // value of one read of up to 2048 bytes (0 when fewer than 4 bytes come);
  // otherwise 1 when the whole command was written. 0 when the connection
  // cannot be opened.
  int32_t SendServiceCommand(int service_id, uint32_t message, uint32_t first, uint32_t second,
                             bool want_answer) const;
  // 1 when the service runs and the command was written, else 0.
  int32_t NotifyService(int service_id, uint32_t message, uint32_t first, uint32_t second) const;
  // The 32-bit answer when the service runs, else 0.
  int32_t RequestService(int service_id, uint32_t message, uint32_t first, uint32_t second) const;

  // Sends `request` to the id's service, without a running check, and
  // returns one read of up to `answer_max` bytes. nullopt when the
  // connection cannot be opened, the write fails, or the service closes or
  // stays silent past the time-out without sending a byte.
  std::optional<std::string> Exchange(int service_id, std::string_view request,
                                      size_t answer_max) const;
  // The same for a length-prefixed answer: a 32-bit count, then that many
  // bytes. A count below 1 is the empty answer. nullopt, besides the cases
  // above, when the count is above kLengthPrefixedAnswerMax or the bytes do
  // not all arrive within the time-out after the count.
  std::optional<std::string> ExchangeLengthPrefixed(int service_id, std::string_view request) const;

 private:
  std::string SocketPath(int service_id) const;
  std::string PidPath(int service_id) const;

  // Opens a connection, waiting while the service's queue is full; null
  // when it cannot be opened.
  std::unique_ptr<StreamSocket> Connect(const std::string& socket_path) const;

  Env* env_;
  std::string run_dir_;
  int read_timeout_ms_;
};

}  // namespace tarvelin
