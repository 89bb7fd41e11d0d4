#include "platform/cross_process_locks.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/posix_env.h"
#include "support/lock_holder.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using namespace std::chrono_literals;

class CrossProcessLocksTest : public ::testing::Test {
 protected:
  std::string LockFile() const { return dir_.path() + "config/admin.lock"; }

  // Whether `locks` gets `name` only after the holder lets go 100 ms later.
  bool WaitsForHolder(CrossProcessLocks& locks, CrossProcessLocks::Held held,
                      std::string_view name) {
    std::atomic<bool> released{false};
    std::atomic<bool> waited{false};
    std::thread other([&] {
      Result<CrossProcessLocks::Held> lock = locks.Acquire(LockFile(), name);
      waited = lock.ok() && released;
    });
    std::this_thread::sleep_for(100ms);
    released = true;
    held = CrossProcessLocks::Held();
    other.join();
    return waited;
  }

  testing::TempDir dir_;
  PosixEnv env_;
};

TEST_F(CrossProcessLocksTest, OneNameExcludesOtherThreadsAndOtherInstances) {
  CrossProcessLocks locks(env_);
  CrossProcessLocks other_instance(env_);
  for (CrossProcessLocks* waiter : {&locks, &other_instance}) {
    Result<CrossProcessLocks::Held> held = locks.Acquire(LockFile(), "users:a.test");
    ASSERT_TRUE(held.ok()) << held.status().ToString();
    EXPECT_TRUE(WaitsForHolder(*waiter, std::move(*held), "users:a.test"));
  }
}

TEST_F(CrossProcessLocksTest, NestsInOneThreadAndLetsGoWithTheOutermost) {
  CrossProcessLocks locks(env_);
  Result<CrossProcessLocks::Held> outer = locks.Acquire(LockFile(), "settings");
  ASSERT_TRUE(outer.ok());
  {
    Result<CrossProcessLocks::Held> inner = locks.Acquire(LockFile(), "settings");
    ASSERT_TRUE(inner.ok());
  }
  // Still held after the inner one went.
  EXPECT_TRUE(WaitsForHolder(locks, std::move(*outer), "settings"));
  // And free again afterwards.
  EXPECT_TRUE(locks.Acquire(LockFile(), "settings").ok());
}

TEST_F(CrossProcessLocksTest, DifferentNamesAreIndependent) {
  CrossProcessLocks locks(env_);
  CrossProcessLocks other(env_);
  Result<CrossProcessLocks::Held> held = locks.Acquire(LockFile(), "users:a.test");
  ASSERT_TRUE(held.ok());
  std::atomic<bool> got{false};
  std::thread taker([&] { got = other.Acquire(LockFile(), "users:b.test").ok(); });
  taker.join();  // would hang if the names shared a lock
  EXPECT_TRUE(got);
  EXPECT_NE(CrossProcessLocks::OffsetOf("users:a.test"),
            CrossProcessLocks::OffsetOf("users:b.test"));
}

TEST_F(CrossProcessLocksTest, ALockDiesWithTheProcessHoldingIt) {
  const pid_t child = testing::StartLockHolder(LockFile(), "remote");
  ASSERT_GT(child, 0);

  // Held by the other process: taken only after it is killed.
  CrossProcessLocks locks(env_);
  std::atomic<bool> killed{false};
  std::atomic<bool> waited{false};
  std::thread taker([&] { waited = locks.Acquire(LockFile(), "remote").ok() && killed; });
  std::this_thread::sleep_for(100ms);
  killed = true;
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  taker.join();
  EXPECT_TRUE(waited);
}

TEST_F(CrossProcessLocksTest, AnUnusableLockFileIsAFailureNotAHang) {
  CrossProcessLocks locks(env_);
  ASSERT_TRUE(env_.CreateDirectories(dir_.path() + "config/admin.lock/").ok());
  Result<CrossProcessLocks::Held> held = locks.Acquire(LockFile(), "settings");
  EXPECT_FALSE(held.ok());
}

}  // namespace
}  // namespace tarvelin
