#include "platform/environment.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <vector>

#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

std::string GetEnvironment(const char* name) {
  const char* value = getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(256);
  while (true) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size()) {
      const std::string path(buffer.data(), static_cast<size_t>(length));
      return path.substr(0, path.rfind(kPathSeparator) + 1);
    }
    // The link may have been cut to the buffer: try again with more room.
    buffer.resize(buffer.size() * 2);
  }
}

bool ProcessAlive(int64_t pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  // EPERM: the process exists but belongs to someone else.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::optional<int64_t> ReadPidFile(std::string_view path) {
  // A pid file holds one short line; more than this is not a pid file.
  constexpr size_t kMaxRead = 4096;
  std::string content;
  if (ReadFilePrefix(path, kMaxRead, &content) != ReadResult::kOk) return std::nullopt;
  const std::string line = Trim(content.substr(0, content.find('\n')));
  int64_t pid = 0;
  const char* end = line.data() + line.size();
  const auto [stop, error] = std::from_chars(line.data(), end, pid);
  if (line.empty() || error != std::errc() || stop != end || pid <= 0) return std::nullopt;
  return pid;
}

}  // namespace tarvelin
