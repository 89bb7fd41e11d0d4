#include "platform/posix/processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include "platform/posix/file_calls.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

bool ValidPid(int64_t pid) { return pid > 0 && pid <= INT_MAX; }

std::string ProcPath(int64_t pid, const char* entry) {
  return "/proc/" + std::to_string(pid) + "/" + entry;
}

// Only async-signal-safe calls from here on: the host may have threads.
[[noreturn]] void ReportAndExit(int error_pipe, int error) {
  ssize_t ignored = ::write(error_pipe, &error, sizeof(error));
  (void)ignored;
  ::_exit(127);
}

[[noreturn]] void ExecProgram(const char* program, const char* directory, char* const argv[],
                              int error_pipe) {
  if (::chdir(directory) != 0) ReportAndExit(error_pipe, errno);
  // Ignored signals and the blocked mask survive exec; a service must start
  // with the defaults whatever its starter had.
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigemptyset(&defaults.sa_mask);
  for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
    ::sigaction(signal_number, &defaults, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);

  int null_fd = ::open("/dev/null", O_RDWR);
  if (null_fd < 0) ReportAndExit(error_pipe, errno);
  for (int fd = 0; fd <= 2; ++fd) {
    if (null_fd != fd && ::dup2(null_fd, fd) < 0) ReportAndExit(error_pipe, errno);
  }
  // Descriptors the host opened without close-on-exec (sockets, pipes a
  // test runner waits on) must not live on in the service.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    const long limit = ::sysconf(_SC_OPEN_MAX);
    const int last = limit > 0 && limit < 65536 ? static_cast<int>(limit) : 65536;
    for (int fd = 3; fd < last; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  ::execv(program, argv);
  ReportAndExit(error_pipe, errno);
}

}  // namespace

bool SpawnDetached(const std::string& program, const std::string& working_directory) {
  // Everything the children need is built before fork.
  const std::string program_path = ToOsPath(program);
  const std::string directory = ToOsPath(working_directory);
  std::string argv0 = program_path;
  char* argv[] = {argv0.data(), nullptr};

  int error_pipe[2];
  if (::pipe2(error_pipe, O_CLOEXEC) != 0) return false;
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(error_pipe[0]);
    ::close(error_pipe[1]);
    return false;
  }
  if (middle == 0) {
    // The middle process leaves at once, so the program is adopted by init
    // instead of waiting on this host to reap it.
    ::close(error_pipe[0]);
    if (::setsid() < 0) ReportAndExit(error_pipe[1], errno);
    const pid_t program_pid = ::fork();
    if (program_pid < 0) ReportAndExit(error_pipe[1], errno);
    if (program_pid == 0) {
      ExecProgram(program_path.c_str(), directory.c_str(), argv, error_pipe[1]);
    }
    ::_exit(0);
  }
  ::close(error_pipe[1]);
  while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  // End of stream without an error number: exec closed the pipe.
  int error = 0;
  ssize_t n;
  do {
    n = ::read(error_pipe[0], &error, sizeof(error));
  } while (n < 0 && errno == EINTR);
  ::close(error_pipe[0]);
  if (n == sizeof(error)) errno = error;  // why the program did not start
  return n == 0;
}

bool ProcessRunning(int64_t pid) {
  if (!ValidPid(pid)) return false;
  std::string stat;
  if (ReadFilePrefix(ProcPath(pid, "stat"), 1024, &stat) != ReadResult::kOk) {
    // Without /proc only existence can be asked.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
  }
  // "pid (comm) S ...": the command may hold ")" itself, the state follows
  // the last one.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return false;
  const char state = stat[close + 2];
  return state != 'Z' && state != 'X' && state != 'x';
}

bool TerminateProcess(int64_t pid) {
  return ValidPid(pid) && ::kill(static_cast<pid_t>(pid), SIGTERM) == 0;
}

bool KillProcess(int64_t pid) {
  return ValidPid(pid) && ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

std::string ProcessProgram(int64_t pid) {
  if (!ValidPid(pid)) return std::string();
  char target[PATH_MAX];
  const ssize_t n = ::readlink(ProcPath(pid, "exe").c_str(), target, sizeof(target));
  if (n <= 0 || static_cast<size_t>(n) >= sizeof(target)) return std::string();
  std::string program(target, static_cast<size_t>(n));
  if (program.size() > kDeletedSuffix.size() && program.ends_with(kDeletedSuffix)) {
    program.resize(program.size() - kDeletedSuffix.size());
  }
  return program;
}

std::vector<int64_t> FindProcessesByProgram(std::string_view program_path) {
  std::string wanted = ToOsPath(program_path);
  if (char* resolved = ::realpath(wanted.c_str(), nullptr)) {
    wanted = resolved;
    ::free(resolved);
  }
  std::vector<int64_t> found;
  if (wanted.empty()) return found;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return found;
  const int64_t self = ::getpid();
  while (const dirent* entry = ::readdir(proc)) {
    const char* name = entry->d_name;
    const char* end = name + std::strlen(name);
    int64_t pid = 0;
    const auto [stop, error] = std::from_chars(name, end, pid);
    if (error != std::errc() || stop != end || pid == self) continue;
    if (ProcessProgram(pid) == wanted) found.push_back(pid);
  }
  ::closedir(proc);
  return found;
}

}  // namespace tarvelin
