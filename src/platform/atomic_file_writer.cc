#include "platform/atomic_file_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

std::atomic<uint64_t> temp_counter{0};

}  // namespace

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

AtomicFileWriter::AtomicFileWriter(AtomicFileWriter&& other) noexcept { *this = std::move(other); }

AtomicFileWriter& AtomicFileWriter::operator=(AtomicFileWriter&& other) noexcept {
  if (this != &other) {
    Discard();
    target_ = std::move(other.target_);
    temp_ = std::move(other.temp_);
    fd_ = std::exchange(other.fd_, -1);
    failed_ = other.failed_;
    closed_ = other.closed_;
    temp_identity_ = other.temp_identity_;
    replaced_identity_ = other.replaced_identity_;
    other.temp_.clear();
  }
  return *this;
}

bool AtomicFileWriter::Open(std::string_view path) {
  Discard();
  target_ = ToOsPath(path);
  // A short name of its own, so a target name near the length limit still
  // gets a temporary file; the counter keeps names of this process apart.
  const size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  temp_ = folder + ".~tarvelin." + std::to_string(getpid()) + "." + std::to_string(temp_counter++);
  fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  failed_ = fd_ < 0;
  closed_ = false;
  if (failed_) {
    temp_.clear();
    return false;
  }
  struct stat st;
  temp_identity_ = {};
  if (fstat(fd_, &st) == 0) temp_identity_ = {true, st.st_dev, st.st_ino};
  replaced_identity_ = {};
  if (stat(target_.c_str(), &st) == 0) replaced_identity_ = {true, st.st_dev, st.st_ino};
  return true;
}

bool AtomicFileWriter::IsOwnFile(uint64_t device, uint64_t inode) const {
  for (const Identity& own : {temp_identity_, replaced_identity_}) {
    if (own.known && own.device == device && own.inode == inode) return true;
  }
  return false;
}

bool AtomicFileWriter::Append(const void* data, size_t length) {
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

bool AtomicFileWriter::Close(bool durable) {
  if (fd_ < 0) return closed_ && !failed_;
  if (durable && fdatasync(fd_) != 0) failed_ = true;
  if (close(fd_) != 0) failed_ = true;
  fd_ = -1;
  closed_ = true;
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (temp_.empty()) return false;
  if (fd_ >= 0) Close(/*durable=*/true);
  if (failed_ || rename(temp_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

bool AtomicFileWriter::CommitAsNew() {
  if (temp_.empty()) return false;
  if (fd_ >= 0) Close(/*durable=*/true);
  if (failed_ || !RenamePath(temp_, target_, /*replace=*/false)) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void AtomicFileWriter::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

bool SyncFileSystemOf(std::string_view path) {
  const int fd = open(ToOsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = syncfs(fd) == 0;
  close(fd);
  return synced;
}

}  // namespace tarvelin
