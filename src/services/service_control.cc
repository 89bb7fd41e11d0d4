#include "services/service_control.h"

#include <chrono>
#include <optional>
#include <thread>

#include "platform/file_system.h"
#include "platform/os_path.h"
#include "platform/processes.h"
#include "services/service_ids.h"

namespace tarvelin {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kWaitLimit = std::chrono::milliseconds(10000);
// After SIGKILL the processes end at once; this only bounds the wait for
// the kernel to take them down.
constexpr auto kKillSettleLimit = std::chrono::milliseconds(1000);

// Polls until `done` holds or `limit` passes; true when it holds.
template <typename Condition>
bool PollUntil(Condition done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

std::string BaseName(std::string_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void Start(const std::string& program, std::string_view install_path, const ServiceChannel& channel,
           int service_id, bool wait) {
  // A second instance would fight the first over socket and pid file.
  if (channel.IsServiceRunning(service_id)) return;
  if (!FileExists(program)) return;
  if (!SpawnDetached(program, std::string(install_path))) return;
  if (wait) PollUntil([&] { return channel.IsServiceRunning(service_id); }, kWaitLimit);
}

void Stop(const std::string& program, const ServiceChannel& channel, int service_id, bool wait) {
  const std::optional<int64_t> pid = channel.RunningPid(service_id);
  if (pid && BaseName(ProcessProgram(*pid)) == BaseName(program)) TerminateProcess(*pid);
  if (!wait) return;
  // A service removes its pid file before it exits: wait for the process too.
  const auto stopped = [&] {
    return !channel.IsServiceRunning(service_id) && !(pid && ProcessRunning(*pid));
  };
  if (PollUntil(stopped, kWaitLimit)) return;
  const std::vector<int64_t> stubborn = FindProcessesByProgram(program);
  for (int64_t process : stubborn) KillProcess(process);
  PollUntil(
      [&] {
        for (int64_t process : stubborn) {
          if (ProcessRunning(process)) return false;
        }
        return true;
      },
      kKillSettleLimit);
}

}  // namespace

std::string ServiceProgramPath(std::string_view install_path, int service_id) {
  const ServiceNames* names = FindServiceNames(service_id);
  if (names == nullptr || names->program_file == nullptr) return std::string();
  return WithTrailingSeparator(ToOsPath(install_path)) + names->program_file;
}

void StartStopService(std::string_view install_path, const ServiceChannel& channel, int service_id,
                      bool start, bool wait) {
  const std::string program = ServiceProgramPath(install_path, service_id);
  if (program.empty()) return;
  if (start) {
    Start(program, install_path, channel, service_id, wait);
  } else {
    Stop(program, channel, service_id, wait);
  }
}

}  // namespace tarvelin
