// The file, directory and lock calls of PosixEnv. Where a function of
// posix/file_calls.h already makes the call, it is used, and the errno it
// leaves becomes the status.
#include "platform/posix_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/os_path.h"
#include "platform/posix/file_calls.h"

namespace tarvelin {

namespace {

Status ErrorOf(std::string_view call, std::string_view path, int error) {
  std::string message(call);
  message.push_back(' ');
  message.append(path);
  if (error == ENOENT || error == ENOTDIR) return Status::NotFound(std::move(message), error);
  if (error == EEXIST) return Status::AlreadyExists(std::move(message), error);
  return Status::IOError(std::move(message), error);
}

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISLNK(mode)) return FileKind::kLink;
  return FileKind::kOther;
}

PathInfo InfoOf(const struct stat& st) {
  PathInfo info;
  info.kind = KindOf(st.st_mode);
  info.size = st.st_size;
  info.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  info.device = static_cast<uint64_t>(st.st_dev);
  info.inode = static_cast<uint64_t>(st.st_ino);
  return info;
}

Status NoRegularFile(std::string_view path) {
  return Status::InvalidArgument("no regular file: " + std::string(path));
}

class PosixReadableFile final : public ReadableFile {
 public:
  PosixReadableFile(std::string path, int fd, const FileStamp& stamp)
      : ReadableFile(stamp), path_(std::move(path)), fd_(fd) {}
  ~PosixReadableFile() override { CloseHandle(fd_); }

  Result<size_t> ReadAt(int64_t offset, void* buffer, size_t length) const override {
    if (offset < 0) return Status::InvalidArgument("read " + path_ + " at a negative offset");
    const int64_t got = ReadHandleAt(fd_, offset, buffer, length);
    if (got < 0) return ErrorOf("read", path_, errno);
    return static_cast<size_t>(got);
  }

 private:
  const std::string path_;
  const int fd_;
};

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(std::string path, int fd, bool appending)
      : path_(std::move(path)), fd_(fd), appending_(appending) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Status Append(std::string_view data) override {
    while (!data.empty()) {
      const ssize_t wrote = ::write(fd_, data.data(), data.size());
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0) return ErrorOf("write", path_, errno);
      if (wrote == 0) return ErrorOf("write", path_, EIO);
      data.remove_prefix(static_cast<size_t>(wrote));
    }
    return Status::Ok();
  }

  Status WriteAt(int64_t offset, std::string_view data) override {
    // pwrite on a file opened for appending writes at the end on Linux.
    if (appending_ || offset < 0) {
      return Status::InvalidArgument("write " + path_ + " at an offset");
    }
    while (!data.empty()) {
      const ssize_t wrote = ::pwrite(fd_, data.data(), data.size(), offset);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0) return ErrorOf("write", path_, errno);
      if (wrote == 0) return ErrorOf("write", path_, EIO);
      data.remove_prefix(static_cast<size_t>(wrote));
      offset += wrote;
    }
    return Status::Ok();
  }

  Status Truncate(int64_t size) override {
    if (::ftruncate(fd_, size) != 0) return ErrorOf("truncate", path_, errno);
    return Status::Ok();
  }

  Status Sync() override {
    if (::fdatasync(fd_) != 0) return ErrorOf("sync", path_, errno);
    return Status::Ok();
  }

  Status Close() override {
    const int fd = std::exchange(fd_, -1);
    if (fd < 0) return ErrorOf("close", path_, EBADF);
    if (::close(fd) != 0) return ErrorOf("close", path_, errno);
    return Status::Ok();
  }

  Result<PathInfo> GetInfo() const override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrorOf("stat", path_, errno);
    return InfoOf(st);
  }

 private:
  const std::string path_;
  int fd_;
  const bool appending_;
};

class PosixDirectory final : public Directory {
 public:
  PosixDirectory(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixDirectory() override { ::close(fd_); }

  Status ListNames(std::vector<std::string>* names) override {
    names->clear();
    // A descriptor of its own for the stream, which closedir closes.
    const int fd = ::dup(fd_);
    if (fd < 0) return ErrorOf("list", path_, errno);
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      ::close(fd);
      return ErrorOf("list", path_, error);
    }
    ::rewinddir(dir);  // the duplicate shares the position of earlier lists
    int error = 0;
    while (true) {
      errno = 0;  // readdir reports an error only through errno
      const dirent* entry = ::readdir(dir);
      if (entry == nullptr) {
        error = errno;
        break;
      }
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names->emplace_back(name);
    }
    ::closedir(dir);
    if (error != 0) {
      names->clear();
      return ErrorOf("list", path_, error);
    }
    return Status::Ok();
  }

  Result<PathInfo> GetInfoOf(std::string_view name, Links links) override {
    const std::string entry(name);
    struct stat st;
    const int flags = links == Links::kFollow ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::fstatat(fd_, entry.c_str(), &st, flags) != 0) {
      return ErrorOf("stat", path_ + entry, errno);
    }
    return InfoOf(st);
  }

  Result<std::unique_ptr<Directory>> OpenChild(std::string_view name) override {
    const std::string entry(name);
    const int fd = ::openat(fd_, entry.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return ErrorOf("open", path_ + entry, errno);
    return std::unique_ptr<Directory>(new PosixDirectory(path_ + entry + "/", fd));
  }

  Status RemoveEntry(std::string_view name, bool is_directory) override {
    const std::string entry(name);
    if (::unlinkat(fd_, entry.c_str(), is_directory ? AT_REMOVEDIR : 0) != 0) {
      return ErrorOf("remove", path_ + entry, errno);
    }
    return Status::Ok();
  }

 private:
  const std::string path_;  // with a trailing separator, for messages
  const int fd_;
};

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  // Closing the last descriptor of the open file releases the lock.
  ~PosixFileLock() override { ::close(fd_); }

 private:
  const int fd_;
};

}  // namespace

// The address of a live instance is unique in the process; the odd factor
// spreads it over all digits without giving up that uniqueness.
PosixEnv::PosixEnv() : nonce_(reinterpret_cast<uintptr_t>(this) * 0x9E3779B97F4A7C15ULL) {}

Result<FileStamp> PosixEnv::GetFileStamp(std::string_view path) {
  const FileStamp stamp = ::tarvelin::GetFileStamp(path);
  if (stamp.exists || errno == ENOENT || errno == ENOTDIR) return stamp;
  return ErrorOf("stat", path, errno);
}

Result<PathInfo> PosixEnv::GetPathInfo(std::string_view path, Links links) {
  const std::string os_path = ToOsPath(path);
  struct stat st;
  const int done = links == Links::kFollow ? ::stat(os_path.c_str(), &st)
                                           : ::lstat(os_path.c_str(), &st);
  if (done != 0) return ErrorOf("stat", path, errno);
  return InfoOf(st);
}

Result<std::string> PosixEnv::RealPath(std::string_view path) {
  const std::string os_path = ToOsPath(path);
  char* resolved = ::realpath(os_path.c_str(), nullptr);
  if (resolved == nullptr) return ErrorOf("resolve", path, errno);
  std::string real(resolved);
  std::free(resolved);
  return real;
}

namespace {

Status StatusOfRead(ReadResult result, std::string_view path) {
  switch (result) {
    case ReadResult::kOk:
      return Status::Ok();
    case ReadResult::kNotFound:
      return ErrorOf("open", path, ENOENT);
    case ReadResult::kError:
      break;
  }
  return ErrorOf("read", path, errno);
}

}  // namespace

Status PosixEnv::ReadFile(std::string_view path, std::string* out) {
  return StatusOfRead(::tarvelin::ReadFile(path, out), path);
}

Status PosixEnv::ReadFilePrefix(std::string_view path, size_t max_bytes, std::string* out) {
  return StatusOfRead(::tarvelin::ReadFilePrefix(path, max_bytes, out), path);
}

Status PosixEnv::ReadFileRange(std::string_view path, int64_t offset, size_t length,
                               std::string* out) {
  if (offset < 0) {
    out->clear();
    return Status::InvalidArgument("read " + std::string(path) + " at a negative offset");
  }
  return StatusOfRead(::tarvelin::ReadFileRange(path, offset, length, out), path);
}

Result<std::unique_ptr<ReadableFile>> PosixEnv::NewReadableFile(std::string_view path) {
  std::string os_path = ToOsPath(path);
  // Non-blocking, so that a named pipe is refused at once instead of
  // waiting for a writer; reads of regular files never block anyway.
  const int fd = ::open(os_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ErrorOf("open", path, errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return ErrorOf("stat", path, error);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return NoRegularFile(path);
  }
  return std::unique_ptr<ReadableFile>(
      new PosixReadableFile(std::move(os_path), fd, InfoOf(st).stamp()));
}

Result<std::unique_ptr<WritableFile>> PosixEnv::NewWritableFile(std::string_view path,
                                                                WriteMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case WriteMode::kCreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
    case WriteMode::kTruncate:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case WriteMode::kAppend:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      break;
    case WriteMode::kUpdate:
      flags |= O_RDWR | O_NOFOLLOW | O_NONBLOCK;
      break;
  }
  std::string os_path = ToOsPath(path);
  const int fd = ::open(os_path.c_str(), flags, 0666);
  if (fd < 0) return ErrorOf("open", path, errno);
  if (mode == WriteMode::kUpdate) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return NoRegularFile(path);
    }
  }
  return std::unique_ptr<WritableFile>(
      new PosixWritableFile(std::move(os_path), fd, mode == WriteMode::kAppend));
}

Result<TempFile> PosixEnv::NewTempFile(std::string_view prefix) {
  char nonce[17];
  std::snprintf(nonce, sizeof nonce, "%016llx", static_cast<unsigned long long>(nonce_));
  const std::string stem =
      ToOsPath(prefix) + std::to_string(::getpid()) + "." + nonce + ".";
  // Each name is tried once; a long run of taken names means something
  // else is wrong.
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string path = stem + std::to_string(next_temp_.fetch_add(1));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return ErrorOf("create", path, errno);
    auto file = std::unique_ptr<WritableFile>(new PosixWritableFile(path, fd, false));
    return TempFile{std::move(path), std::move(file)};
  }
  return ErrorOf("create", stem, EEXIST);
}

Status PosixEnv::RenameFile(std::string_view from, std::string_view to, bool replace) {
  if (RenamePath(from, to, replace)) return Status::Ok();
  return ErrorOf("rename " + std::string(from) + " to", to, errno);
}

Status PosixEnv::RemoveFile(std::string_view path) {
  if (::tarvelin::RemoveFile(path)) return Status::Ok();
  return ErrorOf("remove", path, errno);
}

Status PosixEnv::RemoveDirectory(std::string_view path) {
  if (::rmdir(ToOsPath(path).c_str()) == 0) return Status::Ok();
  return ErrorOf("remove", path, errno);
}

Status PosixEnv::SetModificationTime(std::string_view path, int64_t mtime_ns) {
  constexpr int64_t kBillion = 1000000000;
  int64_t seconds = mtime_ns / kBillion;
  int64_t nanos = mtime_ns % kBillion;
  if (nanos < 0) {  // before 1970: tv_nsec stays in 0..999999999
    nanos += kBillion;
    --seconds;
  }
  const struct timespec times[2] = {{0, UTIME_OMIT},
                                    {static_cast<time_t>(seconds), static_cast<long>(nanos)}};
  if (::utimensat(AT_FDCWD, ToOsPath(path).c_str(), times, 0) == 0) return Status::Ok();
  return ErrorOf("set the modification time of", path, errno);
}

Status PosixEnv::CreateDirectories(std::string_view path) {
  const std::string full = ToOsPath(path);
  // Each prefix ending before a separator is a parent to create first; the
  // first refusal other than "exists" explains a failure.
  int first_error = 0;
  const auto make = [&](const std::string& directory) {
    if (::mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST && first_error == 0) {
      first_error = errno;
    }
  };
  for (size_t slash = full.find('/', 1); slash != std::string::npos;
       slash = full.find('/', slash + 1)) {
    if (full[slash - 1] != '/') make(full.substr(0, slash));
  }
  make(full);
  struct stat st;
  if (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Status::Ok();
  // Not NotFound: what is missing is what the call was to make.
  return Status::IOError("create directory " + std::string(path),
                         first_error != 0 ? first_error : ENOTDIR);
}

Status PosixEnv::ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out) {
  errno = 0;
  if (::tarvelin::ListDirectory(path, out)) return Status::Ok();
  return ErrorOf("list", path, errno != 0 ? errno : EIO);
}

Result<std::unique_ptr<Directory>> PosixEnv::OpenDirectory(std::string_view path, Links links) {
  std::string os_path = ToOsPath(path);
  const int flags =
      O_RDONLY | O_DIRECTORY | O_CLOEXEC | (links == Links::kNoFollow ? O_NOFOLLOW : 0);
  const int fd = ::open(os_path.c_str(), flags);
  if (fd < 0) return ErrorOf("open", path, errno);
  if (!os_path.ends_with('/')) os_path.push_back('/');
  return std::unique_ptr<Directory>(new PosixDirectory(std::move(os_path), fd));
}

Status PosixEnv::SyncDirectory(std::string_view path) {
  const int fd = ::open(ToOsPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ErrorOf("open", path, errno);
  const int synced = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  if (synced != 0) return ErrorOf("sync", path, error);
  return Status::Ok();
}

Status PosixEnv::SyncFileSystem(std::string_view path) {
  if (SyncFileSystemOf(path)) return Status::Ok();
  return ErrorOf("sync file system of", path, errno);
}

namespace {

// Waits for `take` (retried after signals) on the open descriptor, which
// then belongs to the lock, or is closed on failure.
template <typename Take>
Result<std::unique_ptr<FileLock>> HoldLock(int fd, std::string_view path, Take take) {
  int locked;
  do {
    locked = take(fd);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int error = errno;
    ::close(fd);
    return ErrorOf("lock", path, error);
  }
  return std::unique_ptr<FileLock>(new PosixFileLock(fd));
}

}  // namespace

Result<std::unique_ptr<FileLock>> PosixEnv::LockExclusive(std::string_view path) {
  const int fd = ::open(ToOsPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ErrorOf("open", path, errno);
  // flock belongs to the open file, not the process: two opens in one
  // process exclude each other like two processes.
  return HoldLock(fd, path, [](int open) { return ::flock(open, LOCK_EX); });
}

Result<std::unique_ptr<FileLock>> PosixEnv::LockByte(std::string_view path, uint64_t offset) {
  const int fd = ::open(ToOsPath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0660);
  if (fd < 0) return ErrorOf("open", path, errno);
  // An open-file-description lock: owned by this open, not by the process,
  // and gone when the process ends however it ends.
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(offset & 0x3fffffffffffffffULL);
  range.l_len = 1;
  return HoldLock(fd, path, [&range](int open) { return ::fcntl(open, F_OFD_SETLKW, &range); });
}

}  // namespace tarvelin
