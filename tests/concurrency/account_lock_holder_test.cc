// A program that holds a domain's accounts lock makes every writer of that
// domain wait, and frees it by dying, however it dies.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/accounts/account_installation.h"
#include "core/accounts/account_operations.h"
#include "store/lock_names.h"
#include "support/lock_holder.h"

namespace tarvelin {
namespace {

using namespace std::chrono_literals;

class AccountLockHolderTest : public testing::AccountInstallation {
 protected:
  // Starts lock_holder on `name` and waits until it holds it.
  pid_t Hold(const std::string& name) {
    const pid_t child = testing::StartLockHolder(LockFileOf(context_.api.config_path), name);
    EXPECT_GT(child, 0);
    return child;
  }
};

TEST_F(AccountLockHolderTest, AWriterWaitsForTheHolderAndGoesOnOnceItIsKilled) {
  PutUsers("example.org", {testing::MakeRecord("ann", "pw")});
  const pid_t holder = Hold(AccountsLockOf("example.org"));
  std::atomic<bool> done{false};
  Result<int> added = Status::NotFound("not yet");
  std::thread writer([&] {
    added = AddAccount(context_, "example.org", testing::MakeRecord("bob", "pw"), "");
    done = true;
  });
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(done) << "the add went ahead while another program held the domain";
  // Another domain is not held.
  EXPECT_TRUE(AddAccount(context_, "other.org", testing::MakeRecord("cid", "pw"), "").ok());

  kill(holder, SIGKILL);
  int status = 0;
  waitpid(holder, &status, 0);
  writer.join();
  ASSERT_TRUE(added.ok()) << added.status().ToString();
  EXPECT_EQ(*added, 1);
  EXPECT_EQ(Aliases("example.org"), (std::vector<std::string>{"ann", "bob"}));
}

}  // namespace
}  // namespace tarvelin
