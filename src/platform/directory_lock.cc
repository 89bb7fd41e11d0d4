#include "platform/directory_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os_path.h"

namespace tarvelin {

DirectoryLock::~DirectoryLock() {
  if (fd_ >= 0) close(fd_);  // closing the last descriptor releases the lock
}

bool DirectoryLock::Lock(std::string_view path) {
  if (fd_ >= 0) return true;
  const int fd = open(ToOsPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int locked;
  do {
    locked = flock(fd, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

}  // namespace tarvelin
