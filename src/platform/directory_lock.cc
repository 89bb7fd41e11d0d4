#include "platform/directory_lock.h"

#include <string>
#include <utility>

namespace tarvelin {

Status DirectoryLock::LockWith(Env& env, std::string_view path) {
  if (lock_ != nullptr) return Status::Ok();
  Result<PathInfo> info = env.GetPathInfo(path, Links::kFollow);
  if (!info.ok()) return info.status();
  if (info->kind != FileKind::kDirectory) {
    return Status::InvalidArgument("no directory to lock: " + std::string(path));
  }
  Result<std::unique_ptr<FileLock>> lock = env.LockExclusive(path);
  if (!lock.ok()) return lock.status();
  lock_ = std::move(*lock);
  return Status::Ok();
}

}  // namespace tarvelin
