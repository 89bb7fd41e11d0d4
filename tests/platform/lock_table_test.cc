#include "platform/lock_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace tarvelin {
namespace {

TEST(LockTable, LocksAreReentrant) {
  ScopedLock outer(LockId::kGeneral);
  ScopedLock inner(LockId::kGeneral);
  ScopedLock other(LockId::kCaches);
}

TEST(LockTable, OneLockExcludesOtherThreads) {
  int counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&counter] {
      for (int i = 0; i < 10000; ++i) {
        ScopedLock lock(LockId::kLogWriter);
        ++counter;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
}

}  // namespace
}  // namespace tarvelin
