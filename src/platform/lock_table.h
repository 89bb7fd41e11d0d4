// The process-wide table of eight re-entrant locks that guard the shared
// stores, addressed by number. It exists from library load to unload.
#pragma once

namespace tarvelin {

enum class LockId : int {
  kGeneral = 0,  // domain list and its name index; record file writes
  kDirectoryMirror = 1,
  kMailingLists = 2,
  kMailEngineFiles = 3,  // antispam files, migration queue, folder size cache
  kCaches = 4,           // domain and account caches
  kBackend = 5,          // calls into the database backend
  kUnused = 6,
  kLogWriter = 7,
};

void AcquireLock(LockId id);
void ReleaseLock(LockId id);

// Holds one lock of the table for a scope.
class ScopedLock {
 public:
  explicit ScopedLock(LockId id) : id_(id) { AcquireLock(id_); }
  ~ScopedLock() { ReleaseLock(id_); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  LockId id_;
};

}  // namespace tarvelin
