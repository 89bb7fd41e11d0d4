#include "platform/lock_table.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tarvelin {
namespace {

TEST(LockTable, LocksAreReentrant) {
  LockTable table;
  ScopedLock outer(table, LockId::kGeneral);
  ScopedLock inner(table, LockId::kGeneral);
  ScopedLock other(table, LockId::kCaches);
}

TEST(LockTable, OneLockExcludesOtherThreads) {
  LockTable table;
  int counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        ScopedLock lock(table, LockId::kLogWriter);
        ++counter;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
}

TEST(LockTable, TablesAreIndependent) {
  LockTable first, second;
  ScopedLock held(first, LockId::kGeneral);
  std::thread other([&] { EXPECT_TRUE(second[LockId::kGeneral].try_lock()); second[LockId::kGeneral].unlock(); });
  other.join();
}

}  // namespace
}  // namespace tarvelin
