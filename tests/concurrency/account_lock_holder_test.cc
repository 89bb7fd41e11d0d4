// A program that holds a domain's accounts lock makes every writer of that
// domain wait, and frees it by dying, however it dies; in every storage
// mode, since a database keeps the domain's positions as users.cfg does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "store/lock_names.h"
#include "support/lock_holder.h"
#include "support/storage_modes.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

using namespace std::chrono_literals;
using testing::StorageMode;

class AccountLockHolderTest : public testing::StorageModeTest {
 protected:
  // Starts lock_holder on `name` and waits until it holds it.
  pid_t Hold(const std::string& name) {
    const pid_t child = testing::StartLockHolder(LockFileOf(context().api.config_path), name);
    EXPECT_GT(child, 0);
    return child;
  }

  std::vector<std::string> Aliases(const std::string& domain) {
    std::vector<std::string> aliases;
    const int count = CountAccounts(context(), domain);
    for (int position = 0; position < count; ++position) {
      UserRecord record{};
      LoadAccountAt(context(), domain, position, &record);
      aliases.push_back(AliasListOf(record));
    }
    return aliases;
  }
};

TEST_P(AccountLockHolderTest, AWriterWaitsForTheHolderAndGoesOnOnceItIsKilled) {
  ASSERT_TRUE(AddAccount(context(), "example.org", testing::MakeRecord("ann", "pw"), "").ok());
  const pid_t holder = Hold(AccountsLockOf("example.org"));
  std::atomic<bool> done{false};
  Result<int> added = Status::NotFound("not yet");
  std::thread writer([&] {
    added = AddAccount(context(), "example.org", testing::MakeRecord("bob", "pw"), "");
    done = true;
  });
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(done) << "the add went ahead while another program held the domain";
  // Another domain is not held.
  EXPECT_TRUE(AddAccount(context(), "other.org", testing::MakeRecord("cid", "pw"), "").ok());

  kill(holder, SIGKILL);
  int status = 0;
  waitpid(holder, &status, 0);
  writer.join();
  ASSERT_TRUE(added.ok()) << added.status().ToString();
  EXPECT_EQ(*added, 1);
  EXPECT_EQ(Aliases("example.org"), (std::vector<std::string>{"ann", "bob"}));
}

INSTANTIATE_TEST_SUITE_P(StorageModes, AccountLockHolderTest,
                         ::testing::Values(StorageMode::kFiles, StorageMode::kSqlite,
                                           StorageMode::kPostgres),
                         testing::StorageModeName);

}  // namespace
}  // namespace tarvelin
