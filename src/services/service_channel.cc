#include "services/service_channel.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "foundation/bytes.h"
#include "platform/environment.h"
#include "platform/os_path.h"
#include "platform/unix_stream.h"
#include "services/service_ids.h"

namespace tarvelin {

namespace {

constexpr int kBusyWaitMs = 10000;
constexpr int kBusyRetryMs = 5;
constexpr size_t kCommandSize = 20;
constexpr size_t kAnswerMax = 2048;

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
  std::string pid_path = PidPath(service_id);
  if (pid_path.empty()) return false;
  std::optional<int64_t> pid = ReadPidFile(pid_path);
  return pid.has_value() && ProcessAlive(*pid);
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
