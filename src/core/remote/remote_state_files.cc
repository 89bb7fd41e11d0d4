#include "core/remote/remote_state_files.h"

#include "foundation/text.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

// True when no prefix of the relative path lies above its starting folder.
bool StaysInside(std::string_view relative) {
  int depth = 0;
  for (const std::string& part : Split(relative, kPathSeparator)) {
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> ResolveStateFile(std::string_view config_folder,
                                            std::string_view stored_name) {
  if (Trim(stored_name).empty()) return std::nullopt;
  const std::string name = ToOsPath(stored_name);
  if (IsAbsolutePath(name)) return name;
  if (!StaysInside(name)) return std::nullopt;
  return std::string(config_folder) + name;
}

void RemoveStateFiles(Env& env, std::string_view config_folder, std::string_view stored_name) {
  const std::optional<std::string> path = ResolveStateFile(config_folder, stored_name);
  if (!path) return;
  for (const char* suffix : {"", ".hdr", ".dom", ".rt"}) env.RemoveFile(*path + suffix);
}

}  // namespace tarvelin
