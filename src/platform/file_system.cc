#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/env.h"
#include "platform/os_path.h"
#include "platform/posix_env.h"

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
  // Closes now so the caller sees the error close reports.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

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
    const ssize_t got = pread(fd, out->data() + old_size, want, offset + done);
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

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t wrote = write(fd, data.data(), data.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    data.remove_prefix(static_cast<size_t>(wrote));
  }
  return true;
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

bool FileExists(std::string_view path) {
  struct stat st;
  return StatPath(path, &st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
  struct stat st;
  return StatPath(path, &st) && S_ISDIR(st.st_mode);
}

int64_t FileSize(std::string_view path) {
  struct stat st;
  if (!StatPath(path, &st) || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
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

Status WriteFileAtomic(Env& env, std::string_view path, std::string_view data) {
  Result<TempFile> temp = env.NewTempFile(std::string(path) + ".tmp.");
  if (!temp.ok()) return temp.status();
  Status status = temp->file->Append(data);
  if (status.ok()) status = temp->file->Sync();
  const Status closed = temp->file->Close();
  if (status.ok()) status = closed;
  if (status.ok()) status = env.RenameFile(temp->path, path, /*replace=*/true);
  if (!status.ok()) {
    env.RemoveFile(temp->path);
    return status;
  }
  const std::string target = ToOsPath(path);
  const size_t slash = target.rfind('/');
  env.SyncDirectory(slash == std::string::npos ? "." : target.substr(0, slash + 1));
  return Status::Ok();
}

// A bridge until every caller passes its Env.
bool WriteFileAtomic(std::string_view path, std::string_view data) {
  PosixEnv env;
  return WriteFileAtomic(env, path, data).ok();
}

bool AppendToFile(std::string_view path, std::string_view data) {
  const int raw_fd = open(ToOsPath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (raw_fd < 0) return false;
  FileDescriptor fd(raw_fd);
  const bool written = WriteAll(fd.get(), data);
  return fd.Close() && written;
}

bool CreateDirectories(std::string_view path) {
  const std::string full = ToOsPath(path);
  // Each prefix ending before a separator is a parent to create first.
  for (size_t slash = full.find('/', 1); slash != std::string::npos;
       slash = full.find('/', slash + 1)) {
    if (full[slash - 1] == '/') continue;
    mkdir(full.substr(0, slash).c_str(), 0777);
  }
  mkdir(full.c_str(), 0777);
  return DirectoryExists(full);
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

}  // namespace tarvelin
