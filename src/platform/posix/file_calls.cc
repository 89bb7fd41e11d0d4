#include "platform/posix/file_calls.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

// Closes the descriptor when the scope ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }

 private:
  int fd_;
};

int64_t ModificationNs(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool StatPath(std::string_view path, struct stat* st) {
  return stat(ToOsPath(path).c_str(), st) == 0;
}

ReadResult OpenForReading(std::string_view path, int* fd) {
  *fd = open(ToOsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (*fd >= 0) return ReadResult::kOk;
  return errno == ENOENT || errno == ENOTDIR ? ReadResult::kNotFound : ReadResult::kError;
}

// Appends up to `max_bytes` read from `offset` on; stops early only at the
// end of the file.
bool ReadAt(int fd, int64_t offset, size_t max_bytes, std::string* out) {
  constexpr size_t kChunk = 64 * 1024;
  size_t done = 0;
  while (done < max_bytes) {
    const size_t want = std::min(kChunk, max_bytes - done);
    const size_t old_size = out->size();
    out->resize(old_size + want);
    ssize_t got = pread(fd, out->data() + old_size, want, offset + done);
    // A pipe or terminal cannot be read at an offset; from its start it
    // can be read as it comes.
    if (got < 0 && errno == ESPIPE && offset == 0) {
      got = read(fd, out->data() + old_size, want);
    }
    if (got < 0 && errno == EINTR) {
      out->resize(old_size);
      continue;
    }
    if (got < 0) return false;
    out->resize(old_size + static_cast<size_t>(got));
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return true;
}

ReadResult ReadFromFile(std::string_view path, int64_t offset, size_t max_bytes, std::string* out) {
  out->clear();
  if (offset < 0) return ReadResult::kError;
  int raw_fd;
  const ReadResult opened = OpenForReading(path, &raw_fd);
  if (opened != ReadResult::kOk) return opened;
  FileDescriptor fd(raw_fd);
  struct stat st;
  if (fstat(fd.get(), &st) == 0 && st.st_size > offset) {
    out->reserve(std::min<size_t>(max_bytes, static_cast<size_t>(st.st_size - offset)));
  }
  if (!ReadAt(fd.get(), offset, max_bytes, out)) {
    out->clear();
    return ReadResult::kError;
  }
  return ReadResult::kOk;
}

}  // namespace

FileStamp GetFileStamp(std::string_view path) {
  FileStamp stamp;
  struct stat st;
  if (!StatPath(path, &st)) return stamp;
  stamp.exists = true;
  stamp.mtime_ns = ModificationNs(st);
  stamp.size = st.st_size;
  stamp.inode = st.st_ino;
  return stamp;
}

ReadResult ReadFile(std::string_view path, std::string* out) {
  return ReadFromFile(path, 0, SIZE_MAX, out);
}

ReadResult ReadFilePrefix(std::string_view path, size_t max_bytes, std::string* out) {
  return ReadFromFile(path, 0, max_bytes, out);
}

ReadResult ReadFileRange(std::string_view path, int64_t offset, size_t length, std::string* out) {
  return ReadFromFile(path, offset, length, out);
}

bool RemoveFile(std::string_view path) { return unlink(ToOsPath(path).c_str()) == 0; }

bool RenamePath(std::string_view from, std::string_view to, bool replace) {
  const std::string source = ToOsPath(from);
  const std::string target = ToOsPath(to);
  if (replace) return rename(source.c_str(), target.c_str()) == 0;
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse by itself: check first, accepting the race.
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return rename(source.c_str(), target.c_str()) == 0;
}

bool ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out) {
  out->clear();
  DIR* dir = opendir(ToOsPath(path).c_str());
  if (dir == nullptr) return false;
  const int dir_fd = dirfd(dir);
  bool complete = true;
  while (true) {
    errno = 0;  // readdir reports an error only through errno
    const dirent* entry = readdir(dir);
    if (entry == nullptr) {
      complete = errno == 0;
      break;
    }
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    // A dangling link is listed as itself; an entry gone meanwhile is skipped.
    if (fstatat(dir_fd, entry->d_name, &st, 0) != 0 &&
        fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;
    }
    out->push_back({std::string(name), S_ISDIR(st.st_mode), st.st_size, ModificationNs(st)});
  }
  closedir(dir);
  if (!complete) out->clear();
  return complete;
}

bool SyncFileSystemOf(std::string_view path) {
  const int fd = open(ToOsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = syncfs(fd) == 0;
  close(fd);
  return synced;
}

int64_t ReadHandleAt(int handle, int64_t offset, void* buffer, size_t length) {
  if (handle < 0 || offset < 0) return -1;
  char* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    const ssize_t got = pread(handle, p + done, length - done, offset + static_cast<int64_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

void CloseHandle(int handle) {
  if (handle >= 0) close(handle);
}

}  // namespace tarvelin
