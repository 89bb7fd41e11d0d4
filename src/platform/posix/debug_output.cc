#include "platform/posix/debug_output.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace tarvelin {

void WriteDebugOutput(std::string_view line) {
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text.push_back('\n');
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t wrote = write(STDERR_FILENO, rest.data(), rest.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;
    rest.remove_prefix(static_cast<size_t>(wrote));
  }
}

}  // namespace tarvelin
