#include "platform/lock_table.h"

#include <mutex>

namespace tarvelin {

namespace {

// Created on first use and never destroyed, so that code running in static
// destructors still finds its locks.
std::recursive_mutex& LockAt(LockId id) {
  static std::recursive_mutex* const table = new std::recursive_mutex[8];
  return table[static_cast<int>(id) & 7];
}

}  // namespace

void AcquireLock(LockId id) { LockAt(id).lock(); }
void ReleaseLock(LockId id) { LockAt(id).unlock(); }

}  // namespace tarvelin
