// An exclusive lock on a directory that every process taking it honours:
// writers of one folder's files exclude each other, also across programs.
// Readers take no lock. The lock goes with the object.
#pragma once

#include <string_view>

namespace tarvelin {

class DirectoryLock {
 public:
  DirectoryLock() = default;
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  // Waits for the lock; false when the directory cannot be opened.
  bool Lock(std::string_view path);

 private:
  int fd_ = -1;
};

}  // namespace tarvelin
