#include "platform/remove_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

// Empties the directory open as `fd` (taken over and closed), depth first,
// without following links. True when every entry went.
bool EmptyDirectory(int fd) {
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return false;
  }
  bool complete = true;
  while (dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    struct stat info;
    if (fstatat(dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      complete = complete && errno == ENOENT;
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      const int child = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child < 0 || !EmptyDirectory(child)) complete = false;
      if (unlinkat(dirfd(dir), name, AT_REMOVEDIR) != 0 && errno != ENOENT) complete = false;
    } else if (unlinkat(dirfd(dir), name, 0) != 0 && errno != ENOENT) {
      complete = false;
    }
  }
  closedir(dir);
  return complete;
}

}  // namespace

bool RemoveTree(std::string_view path) {
  std::string target = ToOsPath(path);
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (target.empty()) return false;
  struct stat info;
  if (lstat(target.c_str(), &info) != 0) return errno == ENOENT;
  if (!S_ISDIR(info.st_mode)) return unlink(target.c_str()) == 0 || errno == ENOENT;
  const int fd = open(target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  const bool emptied = fd >= 0 && EmptyDirectory(fd);
  return (rmdir(target.c_str()) == 0 || errno == ENOENT) && emptied;
}

}  // namespace tarvelin
