#include "platform/directory_walk.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace tarvelin {

namespace {

// Walks the open `directory`; `prefix` is its path below the root.
bool WalkOpen(Directory& directory, const std::string& prefix, bool recursive,
              const std::function<bool(const WalkedFile&)>& visit) {
  std::vector<std::string> names;
  if (!directory.ListNames(&names).ok()) return true;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    Result<PathInfo> info = directory.GetInfoOf(name, Links::kNoFollow);
    if (!info.ok()) continue;
    if (info->kind == FileKind::kLink) {
      // Only a link to a file counts, as that file.
      info = directory.GetInfoOf(name, Links::kFollow);
      if (!info.ok() || info->kind != FileKind::kRegular) continue;
    }
    if (info->kind == FileKind::kRegular) {
      WalkedFile file;
      file.relative = prefix + name;
      file.size = info->size;
      file.mtime_ns = info->mtime_ns;
      file.device = info->device;
      file.inode = info->inode;
      if (!visit(file)) return false;
    } else if (info->kind == FileKind::kDirectory && recursive) {
      Result<std::unique_ptr<Directory>> child = directory.OpenChild(name);
      if (!child.ok()) continue;
      if (!WalkOpen(**child, prefix + name + "/", recursive, visit)) return false;
    }
  }
  return true;
}

}  // namespace

bool WalkFiles(Env& env, std::string_view root, bool recursive,
               const std::function<bool(const WalkedFile&)>& visit) {
  Result<std::unique_ptr<Directory>> directory = env.OpenDirectory(root, Links::kFollow);
  return directory.ok() && WalkOpen(**directory, "", recursive, visit);
}

}  // namespace tarvelin
