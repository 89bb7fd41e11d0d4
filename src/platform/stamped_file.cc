#include "platform/stamped_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/os_path.h"
#include "platform/posix_env.h"

namespace tarvelin {

int OpenStampedHandle(std::string_view path, FileStamp* stamp) {
  *stamp = FileStamp{};
  const int fd = open(ToOsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  stamp->exists = true;
  stamp->mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp->size = st.st_size;
  stamp->inode = st.st_ino;
  return fd;
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

Status StampedFile::OpenFile(Env& env, std::string_view path) {
  file_.reset();
  Result<std::unique_ptr<ReadableFile>> file = env.NewReadableFile(path);
  if (!file.ok()) return file.status();
  file_ = std::move(*file);
  return Status::Ok();
}

bool StampedFile::Open(std::string_view path) {
  PosixEnv env;
  return OpenFile(env, path).ok();
}

int64_t StampedFile::ReadAt(int64_t offset, void* buffer, size_t length) const {
  if (file_ == nullptr) return -1;
  const Result<size_t> got = file_->ReadAt(offset, buffer, length);
  return got.ok() ? static_cast<int64_t>(*got) : -1;
}

}  // namespace tarvelin
