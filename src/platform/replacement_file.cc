#include "platform/replacement_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

// The rename itself reaches the disk only with its directory.
void SyncDirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Open(std::string_view temp_path, std::string_view target_path) {
  Discard();
  temp_ = ToOsPath(temp_path);
  target_ = ToOsPath(target_path);
  fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  failed_ = fd_ < 0;
  if (failed_) temp_.clear();
  return !failed_;
}

bool ReplacementFile::Append(const void* data, size_t length) {
  if (fd_ < 0 || failed_) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t wrote = write(fd_, p, length);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      failed_ = true;
      return false;
    }
    p += wrote;
    length -= static_cast<size_t>(wrote);
  }
  return true;
}

bool ReplacementFile::Commit() {
  if (fd_ < 0) return false;
  if (fdatasync(fd_) != 0) failed_ = true;
  if (close(fd_) != 0) failed_ = true;
  fd_ = -1;
  if (failed_ || rename(temp_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temp_.clear();
  SyncDirectoryOf(target_);
  return true;
}

void ReplacementFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace tarvelin
