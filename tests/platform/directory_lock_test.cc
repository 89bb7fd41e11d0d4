#include "platform/directory_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using std::chrono::milliseconds;

// The holder writes a marker just before it lets go: whoever waited for the
// lock must find the marker once it has the lock. The other process starts
// before the lock is taken, so that it shares no descriptor of the lock.
TEST(DirectoryLockTest, ExcludesOtherProcesses) {
  testing::TempDir dir;
  PosixEnv env;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (int i = 0; i < 500 && !dir.Exists("locked"); ++i)
      std::this_thread::sleep_for(milliseconds(10));
    DirectoryLock lock;
    _exit(dir.Exists("locked") && lock.LockWith(env, dir.path()).ok() && dir.Exists("released") ? 0 : 1);
  }
  {
    DirectoryLock held;
    ASSERT_TRUE(held.LockWith(env, dir.path()).ok());
    dir.Write("locked", "");
    std::this_thread::sleep_for(milliseconds(200));
    dir.Write("released", "");
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(DirectoryLockTest, ExcludesOtherThreads) {
  testing::TempDir dir;
  PosixEnv env;
  auto held = std::make_unique<DirectoryLock>();
  ASSERT_TRUE(held->LockWith(env, dir.path()).ok());
  std::atomic<bool> released{false};
  std::atomic<bool> saw_release{false};
  std::thread waiter([&] {
    DirectoryLock lock;
    saw_release = lock.LockWith(env, dir.path()).ok() && released;
  });
  std::this_thread::sleep_for(milliseconds(100));
  released = true;
  held.reset();
  waiter.join();
  EXPECT_TRUE(saw_release);
}

TEST(DirectoryLockTest, OnlyAnExistingDirectoryIsLocked) {
  testing::TempDir dir;
  dir.Write("users.cfg", "");
  PosixEnv env;
  DirectoryLock lock;
  EXPECT_EQ(lock.LockWith(env, dir.path() + "missing/").code(), StatusCode::kNotFound);
  EXPECT_EQ(lock.LockWith(env, dir.path() + "users.cfg").code(), StatusCode::kInvalidArgument);
  ASSERT_TRUE(lock.LockWith(env, dir.path()).ok());
  EXPECT_TRUE(lock.LockWith(env, dir.path()).ok()) << "held already: no wait on itself";
}

}  // namespace
}  // namespace tarvelin
