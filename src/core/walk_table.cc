#include "core/walk_table.h"

#include <limits>

namespace tarvelin {

int32_t WalkTable::Add(std::unique_ptr<AccountWalk> walk) {
  std::lock_guard<std::mutex> lock(mutex_);
  // After 2^31 walks the numbers start again, skipping those still open.
  do {
    last_ = last_ == std::numeric_limits<int32_t>::max() ? 1 : last_ + 1;
  } while (walks_.count(last_) != 0);
  walks_.emplace(last_, std::move(walk));
  return last_;
}

AccountWalk* WalkTable::Find(int32_t handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = walks_.find(handle);
  return found == walks_.end() ? nullptr : found->second.get();
}

void WalkTable::Remove(int32_t handle) {
  std::unique_ptr<AccountWalk> removed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = walks_.find(handle);
    if (found == walks_.end()) return;
    removed = std::move(found->second);
    walks_.erase(found);
  }
}

}  // namespace tarvelin
