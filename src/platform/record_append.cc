#include "platform/record_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

FileStamp StampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.size = st.st_size;
  stamp.inode = st.st_ino;
  return stamp;
}

bool WriteAll(int fd, const char* data, size_t length, off_t offset) {
  while (length > 0) {
    const ssize_t written = ::pwrite(fd, data, length, offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<size_t>(written);
    offset += written;
  }
  return true;
}

}  // namespace

bool AppendRecord(std::string_view path, const void* record, size_t record_size, FileStamp* before,
                  FileStamp* after, int64_t* index) {
  if (record_size == 0) return false;
  const std::string os_path = ToOsPath(path);
  Descriptor file(::open(os_path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  struct stat st;
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *before = StampOf(st);
  const off_t aligned = st.st_size - st.st_size % static_cast<off_t>(record_size);
  if (aligned != st.st_size && ::ftruncate(file.get(), aligned) != 0) return false;
  if (!WriteAll(file.get(), static_cast<const char*>(record), record_size, aligned) ||
      ::fdatasync(file.get()) != 0) {
    // A record that may not be on disk is taken back, so that no reader
    // finds an account the caller was told was not written.
    const int cut = ::ftruncate(file.get(), aligned);
    static_cast<void>(cut);
    return false;
  }
  if (::fstat(file.get(), &st) != 0) return false;
  *after = StampOf(st);
  *index = aligned / static_cast<off_t>(record_size);
  return true;
}

}  // namespace tarvelin
