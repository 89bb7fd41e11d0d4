// The table of eight re-entrant locks that guard an installation's shared
// stores within a process, addressed by number. Each Context owns one; the
// components that share a lock are handed the table.
#pragma once

#include <mutex>

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

class LockTable {
 public:
  LockTable() = default;
  LockTable(const LockTable&) = delete;
  LockTable& operator=(const LockTable&) = delete;

  std::recursive_mutex& operator[](LockId id) { return locks_[static_cast<int>(id) & 7]; }

 private:
  std::recursive_mutex locks_[8];
};

// Holds one lock of a table for a scope.
class ScopedLock {
 public:
  ScopedLock(LockTable& table, LockId id) : lock_(table[id]) {}
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  std::lock_guard<std::recursive_mutex> lock_;
};

}  // namespace tarvelin
