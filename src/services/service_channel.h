// The command channel to the running services. A service listens on the
// stream socket RunDir/<service name>.sock and runs while RunDir/<service
// name>.pid names a live process. Each request uses its own connection:
// connect, write the request, read the answer where there is one, close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr uint32_t kCommandCode = 4096;
inline constexpr uint32_t kCommandWithAnswerCode = 4099;
// The most a length-prefixed answer may announce; a larger count is taken as
// a broken answer rather than allocated.
inline constexpr size_t kLengthPrefixedAnswerMax = 16 << 20;

class ServiceChannel {
 public:
  // `run_dir` ends with a separator. `read_timeout_ms` bounds every read.
  explicit ServiceChannel(std::string run_dir, int read_timeout_ms = 5000);

  // $TARVELIN_RUN_DIR (separator ensured) when set, else install_path + "run/".
  static std::string RunDirectory(std::string_view install_path);

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

  std::string run_dir_;
  int read_timeout_ms_;
};

}  // namespace tarvelin
