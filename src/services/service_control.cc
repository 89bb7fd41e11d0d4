#include "services/service_control.h"

#include <optional>

#include "platform/file_system.h"
#include "platform/os_path.h"
#include "services/service_ids.h"

namespace tarvelin {

namespace {

constexpr int64_t kPollIntervalMicros = 10000;
constexpr int64_t kWaitLimitMicros = 10000000;
// After SIGKILL the processes end at once; this only bounds the wait for
// the kernel to take them down.
constexpr int64_t kKillSettleLimitMicros = 1000000;

// Polls until `done` holds or `limit` passes; true when it holds.
template <typename Condition>
bool PollUntil(Env& env, Condition done, int64_t limit_micros) {
  const int64_t deadline = env.NowMonotonicMicros() + limit_micros;
  for (;;) {
    if (done()) return true;
    if (env.NowMonotonicMicros() >= deadline) return false;
    env.SleepForMicroseconds(kPollIntervalMicros);
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
  Env& env = channel.env();
  if (!FileExists(env, program)) return;
  if (!env.SpawnDetached(program, install_path).ok()) return;
  if (wait) {
    PollUntil(env, [&] { return channel.IsServiceRunning(service_id); }, kWaitLimitMicros);
  }
}

void Stop(const std::string& program, const ServiceChannel& channel, int service_id, bool wait) {
  Env& env = channel.env();
  const std::optional<int64_t> pid = channel.RunningPid(service_id);
  if (pid && BaseName(env.ProcessProgram(*pid).value_or(std::string())) == BaseName(program)) {
    env.TerminateProcess(*pid);
  }
  if (!wait) return;
  // A service removes its pid file before it exits: wait for the process too.
  const auto stopped = [&] {
    return !channel.IsServiceRunning(service_id) && !(pid && env.ProcessRunning(*pid));
  };
  if (PollUntil(env, stopped, kWaitLimitMicros)) return;
  const std::vector<int64_t> stubborn = env.FindProcessesByProgram(program);
  for (int64_t process : stubborn) env.KillProcess(process);
  PollUntil(
      env,
      [&] {
        for (int64_t process : stubborn) {
          if (env.ProcessRunning(process)) return false;
        }
        return true;
      },
      kKillSettleLimitMicros);
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
