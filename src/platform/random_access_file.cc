#include "platform/random_access_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os_path.h"

namespace tarvelin {

RandomAccessFile::~RandomAccessFile() {
  if (fd_ >= 0) close(fd_);
}

bool RandomAccessFile::Open(std::string_view path) {
  if (fd_ >= 0) close(fd_);
  // Non-blocking, so that a named pipe is refused at once instead of
  // waiting for a writer; reads of regular files never block anyway.
  fd_ = open(ToOsPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return false;
  struct stat st;
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = st.st_size;
  return true;
}

int64_t RandomAccessFile::ReadAt(int64_t offset, void* buffer, size_t length) const {
  if (fd_ < 0 || offset < 0) return -1;
  char* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    const ssize_t got = pread(fd_, p + done, length - done, offset + static_cast<int64_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

}  // namespace tarvelin
