// An exclusive lock on a directory that every process taking it honours:
// writers of one folder's files exclude each other, also across programs.
// Readers take no lock. The lock goes with the object.
#pragma once

#include <memory>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class DirectoryLock {
 public:
  DirectoryLock() = default;
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  // Waits for the lock, taken through `env`; fails when the directory
  // cannot be opened. Ok at once when this object holds the lock already.
  Status LockWith(Env& env, std::string_view path);

 private:
  std::unique_ptr<FileLock> lock_;
};

}  // namespace tarvelin
