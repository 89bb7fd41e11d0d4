#include "platform/os_path.h"

namespace tarvelin {

bool HasTrailingSeparator(std::string_view path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string WithTrailingSeparator(std::string_view path) {
  std::string out(path);
  if (!out.empty() && !HasTrailingSeparator(out)) out += kPathSeparator;
  return out;
}

std::string ToOsPath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool IsAbsolutePath(std::string_view path) {
  return !path.empty() && (path.front() == '/' || path.front() == '\\');
}

}  // namespace tarvelin
