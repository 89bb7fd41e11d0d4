// A StoreLock of the file stores: one name of the installation's
// cross-process locks, held while the object lives.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/cross_process_locks.h"
#include "store/lock_names.h"
#include "store/store_lock.h"

namespace tarvelin {

class HeldFileLock final : public StoreLock {
 public:
  explicit HeldFileLock(CrossProcessLocks::Held held) : held_(std::move(held)) {}

 private:
  CrossProcessLocks::Held held_;
};

// Waits for the lock `name` of the installation in `config_path`.
inline Result<std::unique_ptr<StoreLock>> HoldFileLock(CrossProcessLocks& locks,
                                                       std::string_view config_path,
                                                       std::string_view name) {
  Result<CrossProcessLocks::Held> held = locks.Acquire(LockFileOf(config_path), name);
  if (!held.ok()) return held.status();
  return std::unique_ptr<StoreLock>(std::make_unique<HeldFileLock>(std::move(*held)));
}

}  // namespace tarvelin
