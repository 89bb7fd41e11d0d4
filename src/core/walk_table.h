// The account walks a Context hands out to callers that can keep only a
// number (the C API's UserEnumState): each walk is known by a handle, a
// positive number never given twice by one table.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "core/accounts/account_walk.h"

namespace tarvelin {

class WalkTable {
 public:
  int32_t Add(std::unique_ptr<AccountWalk> walk);
  // The walk of `handle`, or null. One walk is used by one thread at a time.
  AccountWalk* Find(int32_t handle) const;
  void Remove(int32_t handle);

 private:
  mutable std::mutex mutex_;
  int32_t last_ = 0;
  std::unordered_map<int32_t, std::unique_ptr<AccountWalk>> walks_;
};

}  // namespace tarvelin
