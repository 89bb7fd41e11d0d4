#include "platform/posix/self_process.h"

#include <unistd.h>

#include <vector>

namespace tarvelin {

uint32_t CurrentThreadId() { return static_cast<uint32_t>(gettid()); }

std::string ProgramFilePath() {
  std::vector<char> buffer(256);
  while (true) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<size_t>(length));
    }
    // The link may have been cut to the buffer: try again with more room.
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace tarvelin
