#include "services/service_channel.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <mutex>
#include <optional>
#include <utility>

#include "foundation/bytes.h"
#include "foundation/text.h"
#include "platform/os_path.h"
#include "services/service_ids.h"

namespace tarvelin {

namespace {

constexpr int kBusyWaitMs = 10000;
constexpr int kBusyRetryMs = 5;
constexpr size_t kCommandSize = 20;
constexpr size_t kAnswerMax = 2048;
// A length-prefixed answer grows by at most this much per read, so a count
// that the service does not honour costs no large allocation.
constexpr size_t kAnswerChunk = 64 * 1024;

// Callers that find a service's queue full wait one at a time, so a burst of
// requests does not pile further connects onto a busy service.
std::mutex pipe_lock;

bool Busy(const Status& status) {
  return status.Is(StatusCode::kIOError) && status.sys_errno() == EAGAIN;
}

}  // namespace

std::optional<int64_t> ParsePidFile(std::string_view content) {
  const std::string line = Trim(content.substr(0, content.find('\n')));
  int64_t pid = 0;
  const char* end = line.data() + line.size();
  const auto [stop, error] = std::from_chars(line.data(), end, pid);
  if (line.empty() || error != std::errc() || stop != end || pid <= 0) return std::nullopt;
  return pid;
}

ServiceChannel::ServiceChannel(Env& env, std::string run_dir, int read_timeout_ms)
    : env_(&env), run_dir_(std::move(run_dir)), read_timeout_ms_(read_timeout_ms) {}

std::string ServiceChannel::RunDirectory(Env& env, std::string_view install_path) {
  std::string from_environment = env.GetVariable("TARVELIN_RUN_DIR");
  if (!from_environment.empty()) return WithTrailingSeparator(from_environment);
  return WithTrailingSeparator(install_path) + "run" + kPathSeparator;
}

std::unique_ptr<StreamSocket> ServiceChannel::Connect(const std::string& socket_path) const {
  Result<std::unique_ptr<StreamSocket>> stream = env_->ConnectUnixStream(socket_path);
  if (stream.ok()) return std::move(*stream);
  if (!Busy(stream.status())) return nullptr;
  std::lock_guard<std::mutex> hold(pipe_lock);
  const int64_t deadline = env_->NowMonotonicMicros() + int64_t{kBusyWaitMs} * 1000;
  while (env_->NowMonotonicMicros() < deadline) {
    stream = env_->ConnectUnixStream(socket_path);
    if (stream.ok()) return std::move(*stream);
    if (!Busy(stream.status())) return nullptr;
    env_->SleepForMicroseconds(int64_t{kBusyRetryMs} * 1000);
  }
  stream = env_->ConnectUnixStream(socket_path);
  return stream.ok() ? std::move(*stream) : nullptr;
}

std::string ServiceChannel::SocketPath(int service_id) const {
  const ServiceNames* names = FindServiceNames(service_id);
  if (names == nullptr) return std::string();
  return run_dir_ + names->service_name + ".sock";
}

std::string ServiceChannel::PidPath(int service_id) const {
  const ServiceNames* names = FindServiceNames(service_id);
  if (names == nullptr) return std::string();
  return run_dir_ + names->service_name + ".pid";
}

bool ServiceChannel::IsServiceRunning(int service_id) const {
  return RunningPid(service_id).has_value();
}

std::optional<int64_t> ServiceChannel::RunningPid(int service_id) const {
  std::string pid_path = PidPath(service_id);
  if (pid_path.empty()) return std::nullopt;
  // A pid file holds one short line; more than this is not a pid file.
  constexpr size_t kPidFileMax = 4096;
  std::string content;
  if (!env_->ReadFilePrefix(pid_path, kPidFileMax, &content).ok()) return std::nullopt;
  std::optional<int64_t> pid = ParsePidFile(content);
  // A killed service that nobody reaped is a zombie: it no longer runs.
  if (!pid.has_value() || !env_->ProcessRunning(*pid)) return std::nullopt;
  return pid;
}

int32_t ServiceChannel::SendServiceCommand(int service_id, uint32_t message, uint32_t first,
                                           uint32_t second, bool want_answer) const {
  std::string socket_path = SocketPath(service_id);
  if (socket_path.empty()) return 0;
  const std::unique_ptr<StreamSocket> stream = Connect(socket_path);
  if (stream == nullptr) return 0;

  uint8_t command[kCommandSize] = {};
  PutLE(command, 4, want_answer ? kCommandWithAnswerCode : kCommandCode);
  PutLE(command + 4, 4, message);
  PutLE(command + 8, 4, first);
  PutLE(command + 12, 4, second);
  if (!stream->WriteAll(command, sizeof(command)).ok()) return 0;
  if (!want_answer) return 1;

  uint8_t answer[kAnswerMax];
  const Result<size_t> n = stream->ReadSome(answer, sizeof(answer), read_timeout_ms_);
  if (!n.ok() || *n < 4) return 0;
  return static_cast<int32_t>(GetLE(answer, 4));
}

std::optional<std::string> ServiceChannel::Exchange(int service_id, std::string_view request,
                                                    size_t answer_max) const {
  std::string socket_path = SocketPath(service_id);
  if (socket_path.empty()) return std::nullopt;
  const std::unique_ptr<StreamSocket> stream = Connect(socket_path);
  if (stream == nullptr) return std::nullopt;
  if (!stream->WriteAll(request.data(), request.size()).ok()) return std::nullopt;
  std::string answer(answer_max, '\0');
  const Result<size_t> n = stream->ReadSome(answer.data(), answer.size(), read_timeout_ms_);
  if (!n.ok() || *n == 0) return std::nullopt;
  answer.resize(*n);
  return answer;
}

std::optional<std::string> ServiceChannel::ExchangeLengthPrefixed(int service_id,
                                                                  std::string_view request) const {
  std::string socket_path = SocketPath(service_id);
  if (socket_path.empty()) return std::nullopt;
  const std::unique_ptr<StreamSocket> stream = Connect(socket_path);
  if (stream == nullptr) return std::nullopt;
  if (!stream->WriteAll(request.data(), request.size()).ok()) return std::nullopt;
  uint8_t count_bytes[4];
  if (!stream->ReadExact(count_bytes, sizeof(count_bytes), read_timeout_ms_).ok()) {
    return std::nullopt;
  }
  const int32_t count = static_cast<int32_t>(GetLE(count_bytes, 4));
  if (count < 1) return std::string();
  if (static_cast<size_t>(count) > kLengthPrefixedAnswerMax) return std::nullopt;

  const int64_t deadline = env_->NowMonotonicMicros() + int64_t{read_timeout_ms_} * 1000;
  std::string answer;
  while (answer.size() < static_cast<size_t>(count)) {
    const int64_t left_ms = (deadline - env_->NowMonotonicMicros()) / 1000;
    if (left_ms <= 0) return std::nullopt;
    const size_t have = answer.size();
    answer.resize(have + std::min(kAnswerChunk, static_cast<size_t>(count) - have));
    const Result<size_t> n =
        stream->ReadSome(answer.data() + have, answer.size() - have, static_cast<int>(left_ms));
    if (!n.ok() || *n == 0) return std::nullopt;
    answer.resize(have + *n);
  }
  return answer;
}

int32_t ServiceChannel::NotifyService(int service_id, uint32_t message, uint32_t first,
                                      uint32_t second) const {
  if (!IsServiceRunning(service_id)) return 0;
  return SendServiceCommand(service_id, message, first, second, false);
}

int32_t ServiceChannel::RequestService(int service_id, uint32_t message, uint32_t first,
                                       uint32_t second) const {
  if (!IsServiceRunning(service_id)) return 0;
  return SendServiceCommand(service_id, message, first, second, true);
}

}  // namespace tarvelin
