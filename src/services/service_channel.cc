#include "services/service_channel.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "foundation/bytes.h"
#include "platform/environment.h"
#include "platform/os_path.h"
#include "platform/processes.h"
#include "platform/unix_stream.h"
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

bool OpenConnection(UnixStream* stream, const std::string& socket_path) {
  switch (stream->Connect(socket_path)) {
    case UnixStream::ConnectResult::kConnected:
      return true;
    case UnixStream::ConnectResult::kFailed:
      return false;
    case UnixStream::ConnectResult::kBusy:
      break;
  }
  std::lock_guard<std::mutex> hold(pipe_lock);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    switch (stream->Connect(socket_path)) {
      case UnixStream::ConnectResult::kConnected:
        return true;
      case UnixStream::ConnectResult::kFailed:
        return false;
      case UnixStream::ConnectResult::kBusy:
        break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kBusyRetryMs));
  }
  return stream->Connect(socket_path) == UnixStream::ConnectResult::kConnected;
}

}  // namespace

ServiceChannel::ServiceChannel(std::string run_dir, int read_timeout_ms)
    : run_dir_(std::move(run_dir)), read_timeout_ms_(read_timeout_ms) {}

std::string ServiceChannel::RunDirectory(std::string_view install_path) {
  std::string from_environment = GetEnvironment("TARVELIN_RUN_DIR");
  if (!from_environment.empty()) return WithTrailingSeparator(from_environment);
  return WithTrailingSeparator(install_path) + "run" + kPathSeparator;
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
  std::optional<int64_t> pid = ReadPidFile(pid_path);
  // A killed service that nobody reaped is a zombie: it no longer runs.
  if (!pid.has_value() || !ProcessRunning(*pid)) return std::nullopt;
  return pid;
}

int32_t ServiceChannel::SendServiceCommand(int service_id, uint32_t message, uint32_t first,
                                           uint32_t second, bool want_answer) const {
  std::string socket_path = SocketPath(service_id);
  if (socket_path.empty()) return 0;
  UnixStream stream;
  if (!OpenConnection(&stream, socket_path)) return 0;

  uint8_t command[kCommandSize] = {};
  PutLE(command, 4, want_answer ? kCommandWithAnswerCode : kCommandCode);
  PutLE(command + 4, 4, message);
  PutLE(command + 8, 4, first);
  PutLE(command + 12, 4, second);
  if (!stream.WriteAll(command, sizeof(command))) return 0;
  if (!want_answer) return 1;

  uint8_t answer[kAnswerMax];
  int64_t n = stream.ReadSome(answer, sizeof(answer), read_timeout_ms_);
  if (n < 4) return 0;
  return static_cast<int32_t>(GetLE(answer, 4));
}

std::optional<std::string> ServiceChannel::Exchange(int service_id, std::string_view request,
                                                    size_t answer_max) const {
  std::string socket_path = SocketPath(service_id);
  if (socket_path.empty()) return std::nullopt;
  UnixStream stream;
  if (!OpenConnection(&stream, socket_path)) return std::nullopt;
  if (!stream.WriteAll(request.data(), request.size())) return std::nullopt;
  std::string answer(answer_max, '\0');
  int64_t n = stream.ReadSome(answer.data(), answer.size(), read_timeout_ms_);
  if (n <= 0) return std::nullopt;
  answer.resize(static_cast<size_t>(n));
  return answer;
}

std::optional<std::string> ServiceChannel::ExchangeLengthPrefixed(int service_id,
                                                                  std::string_view request) const {
  std::string socket_path = SocketPath(service_id);
  if (socket_path.empty()) return std::nullopt;
  UnixStream stream;
  if (!OpenConnection(&stream, socket_path)) return std::nullopt;
  if (!stream.WriteAll(request.data(), request.size())) return std::nullopt;
  uint8_t count_bytes[4];
  if (!stream.ReadExact(count_bytes, sizeof(count_bytes), read_timeout_ms_)) return std::nullopt;
  const int32_t count = static_cast<int32_t>(GetLE(count_bytes, 4));
  if (count < 1) return std::string();
  if (static_cast<size_t>(count) > kLengthPrefixedAnswerMax) return std::nullopt;

  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(read_timeout_ms_);
  std::string answer;
  while (answer.size() < static_cast<size_t>(count)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    const size_t have = answer.size();
    answer.resize(have + std::min(kAnswerChunk, static_cast<size_t>(count) - have));
    const int64_t n =
        stream.ReadSome(answer.data() + have, answer.size() - have, static_cast<int>(left.count()));
    if (n <= 0) return std::nullopt;
    answer.resize(have + static_cast<size_t>(n));
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
