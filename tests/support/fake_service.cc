#include "support/fake_service.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "foundation/bytes.h"
#include "platform/posix_env.h"

namespace tarvelin {

namespace {

constexpr int kStartWaitMs = 10000;
constexpr int kSyncWaitMs = 10000;

std::string ProgramPath() {
  const char* override_path = std::getenv("TARVELIN_FAKE_SERVICE");
  if (override_path != nullptr && *override_path != '\0') return override_path;
  return TARVELIN_BINARY_DIR "/tests/fake_service";
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memcpy(address->sun_path, path.data(), path.size());
  return true;
}

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

// Opens a connection that sends nothing and waits until the program closes
// it: the program serves in order, so every earlier request is logged.
bool Sync(const std::string& socket_path) {
  sockaddr_un address;
  if (!FillAddress(socket_path, &address)) return false;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool closed_by_service = false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::shutdown(fd, SHUT_WR) == 0) {
    pollfd p{fd, POLLIN, 0};
    char byte;
    closed_by_service = ::poll(&p, 1, kSyncWaitMs) == 1 && ::recv(fd, &byte, 1, 0) == 0;
  }
  ::close(fd);
  return closed_by_service;
}

}  // namespace

std::string HexOf(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

std::string CommandHex(uint32_t code, uint32_t message, uint32_t first, uint32_t second) {
  std::string bytes;
  for (uint32_t value : {code, message, first, second, 0u}) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  }
  return HexOf(bytes);
}

int ListenUnixSocket(const std::string& path, int backlog) {
  sockaddr_un address;
  if (!FillAddress(path, &address)) return -1;
  ::unlink(path.c_str());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(fd, backlog) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

FakeService::FakeService(std::string run_dir, std::string name, int32_t answer)
    : run_dir_(WithSlash(std::move(run_dir))), name_(std::move(name)) {
  socket_path_ = run_dir_ + name_ + ".sock";
  log_path_ = run_dir_ + name_ + ".requests";
  ::unlink(log_path_.c_str());  // a new service starts with no requests

  // Everything the child needs is built before fork.
  std::string program = ProgramPath();
  std::string answer_text = std::to_string(answer);
  std::vector<const char*> argv = {program.c_str(),     "--run-dir", run_dir_.c_str(),  "--name",
                                   name_.c_str(),       "--log",     log_path_.c_str(), "--answer",
                                   answer_text.c_str(), nullptr};
  pid_ = ::fork();
  if (pid_ == 0) {
    ::execv(program.c_str(), const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  if (pid_ < 0) return;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;  // exited: bad arguments, or the program is missing
      return;
    }
    if (Sync(socket_path_)) {
      ready_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

FakeService::~FakeService() { Stop(); }

void FakeService::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
  ready_ = false;
}

std::vector<std::string> FakeService::Requests() const { return RecordedRequests(run_dir_, name_); }

std::vector<std::string> RecordedRequests(const std::string& run_dir, const std::string& name) {
  const std::string dir = WithSlash(run_dir);
  Sync(dir + name + ".sock");
  std::vector<std::string> lines;
  std::ifstream log(dir + name + ".requests");
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

bool InstallFakePrograms(const std::string& install_dir) {
  namespace fs = std::filesystem;
  const fs::path source = ProgramPath();
  for (const char* program : kServicePrograms) {
    const fs::path target = fs::path(install_dir) / program;
    std::error_code error;
    fs::remove(target, error);
    fs::create_hard_link(source, target, error);
    if (error) fs::copy_file(source, target, error);
    if (error) return false;
  }
  return true;
}

void EndInstalledPrograms(const std::string& install_dir) {
  PosixEnv env;
  std::vector<int64_t> killed;
  for (const char* program : kServicePrograms) {
    for (int64_t pid : env.FindProcessesByProgram(WithSlash(install_dir) + program)) {
      if (env.KillProcess(pid).ok()) killed.push_back(pid);
    }
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
  for (int64_t pid : killed) {
    while (env.ProcessRunning(pid) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

std::string SessionRecordBytes(const SessionRecord& record) {
  uint8_t bytes[kSessionRecordSize] = {};
  PutLE(bytes + kSessionIdOffset, 4, record.id);
  bytes[kSessionStatusOffset] = record.status;
  PutLE(bytes + kSessionDurationOffset, 2, record.duration);
  PutLE(bytes + kSessionHandleOffset, 4, record.handle);
  bytes[kSessionServiceOffset] = record.service;
  PutDouble(bytes + kSessionStartOffset, record.start);
  bytes[kSessionServerOffset] = record.server;
  PutLE(bytes + kSessionVolumeOffset, 4, record.volume);
  PutPString(bytes + kSessionIpOffset, kSessionIpCapacity, record.ip);
  PutPString(bytes + kSessionValOffset, kSessionValCapacity, record.val);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

}  // namespace tarvelin
