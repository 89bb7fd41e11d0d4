#include "platform/directory_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

// Names in one directory, sorted; false when it cannot be opened.
bool SortedNames(int dir_fd, std::vector<std::string>* names) {
  const int fd = dup(dir_fd);
  if (fd < 0) return false;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return false;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names->emplace_back(name);
  }
  closedir(dir);
  std::sort(names->begin(), names->end());
  return true;
}

// Walks the open directory `dir_fd`; `prefix` is its path below the root.
bool WalkOpen(int dir_fd, const std::string& prefix, bool recursive,
              const std::function<bool(const WalkedFile&)>& visit) {
  std::vector<std::string> names;
  if (!SortedNames(dir_fd, &names)) return true;
  for (const std::string& name : names) {
    struct stat st;
    if (fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      // Only a link to a file counts, as that file.
      if (fstatat(dir_fd, name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    }
    if (S_ISREG(st.st_mode)) {
      WalkedFile file;
      file.relative = prefix + name;
      file.size = st.st_size;
      file.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
      file.device = st.st_dev;
      file.inode = st.st_ino;
      if (!visit(file)) return false;
    } else if (S_ISDIR(st.st_mode) && recursive) {
      const int child =
          openat(dir_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child < 0) continue;
      const bool go_on = WalkOpen(child, prefix + name + "/", recursive, visit);
      close(child);
      if (!go_on) return false;
    }
  }
  return true;
}

}  // namespace

bool WalkFiles(std::string_view root, bool recursive,
               const std::function<bool(const WalkedFile&)>& visit) {
  const int fd = open(ToOsPath(root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool result = WalkOpen(fd, "", recursive, visit);
  close(fd);
  return result;
}

}  // namespace tarvelin
