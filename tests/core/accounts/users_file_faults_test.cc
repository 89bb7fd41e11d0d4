// users.cfg under account operations whose process dies part way, or whose
// writes fail: the accounts that were there stay, byte for byte, and no
// reader ever takes a part of a record for an account.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "schema/user_record.h"
#include "support/fault_installation.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

using testing::FaultInstallation;
using testing::FileOf;
using testing::MakeUser;

constexpr char kUsers[] = "config/example.org/users.cfg";

std::vector<UserRecord> OldAccounts() {
  return {MakeUser("ann", "ann", "pw1"), MakeUser("bob;robert", "bob", "pw2"),
          MakeUser("cid", "cid", "pw3")};
}

class UsersFileFaultsTest : public ::testing::Test {
 protected:
  UsersFileFaultsTest() : old_file_(FileOf(OldAccounts())) {}

  void Lay() { installation_.Lay({"example.org"}, {{kUsers, old_file_}}); }
  std::string Users() const { return installation_.Read(kUsers); }

  // What a program started now finds: the number of accounts, whether
  // `alias` answers, and how many records a walk meets.
  struct Seen {
    int count = 0;
    bool found = false;
    int walked = 0;
  };
  Seen Look(const std::string& alias) {
    const std::unique_ptr<Context> reader = installation_.OpenContext(installation_.plain());
    Seen seen;
    seen.count = CountAccounts(*reader, "example.org");
    FoundAccount found;
    seen.found = FindAccount(*reader, alias + "@example.org", false, &found);
    const std::unique_ptr<AccountIterator> walk = reader->accounts().NewIterator("example.org");
    for (walk->Seek(0); walk->Valid(); walk->Next()) ++seen.walked;
    EXPECT_TRUE(walk->status().ok()) << walk->status().ToString();
    return seen;
  }

  FaultInstallation installation_;
  const std::string old_file_;
};

// The new record goes out in one write. A stop at each mutating step in
// turn: a power failure, which also drops what was not synced, and the
// death of the process inside that write, which leaves the part written.
TEST_F(UsersFileFaultsTest, AnAddCrashedAtAnyStepLeavesTheOldAccountsAndATailReadersIgnore) {
  for (const bool torn : {false, true}) {
    int64_t runs = 0;
    bool saw_torn_tail = false, saw_added = false;
    for (bool crashed = true; crashed; ++runs) {
      SCOPED_TRACE((torn ? "torn write, death after " : "power failure after ") +
                   std::to_string(runs) + " mutating operations");
      Lay();
      {
        FaultInjectionEnv env(installation_.plain());
        if (torn) env.ShortenWrite(1, 1000, EIO);
        env.CrashAfter(runs);
        const std::unique_ptr<Context> context = installation_.OpenContext(env);
        const Result<int> result =
            AddAccount(*context, "example.org", MakeUser("dora", "dora", "pw4"), "");
        crashed = env.crashed();
        // Run to its end, the add says what became of it: a cut write fails.
        if (!crashed) {
          EXPECT_EQ(result.ok(), !torn) << result.status().ToString();
        }
        if (!torn) {
          ASSERT_TRUE(env.DropUnsyncedData().ok());
        }
      }
      const std::string file = Users();
      ASSERT_GE(file.size(), old_file_.size());
      ASSERT_EQ(file.substr(0, old_file_.size()), old_file_) << "the old accounts, byte for byte";
      const size_t tail = file.size() - old_file_.size();
      ASSERT_LE(tail, size_t{kUserRecordSize});
      const bool added = tail == kUserRecordSize;
      if (torn) {
        EXPECT_FALSE(added) << "a cut record is never completed";
      }
      saw_torn_tail |= tail != 0 && !added;
      saw_added |= added;

      const Seen seen = Look("dora");
      EXPECT_EQ(seen.count, added ? 4 : 3);
      EXPECT_EQ(seen.walked, seen.count);
      EXPECT_EQ(seen.found, added);
      EXPECT_TRUE(Look("robert").found);

      // The next add takes the place of a torn tail.
      const std::unique_ptr<Context> writer = installation_.OpenContext(installation_.plain());
      const Result<int> next = AddAccount(*writer, "example.org", MakeUser("eve", "eve", "pw5"), "");
      ASSERT_TRUE(next.ok()) << next.status().ToString();
      EXPECT_EQ(*next, added ? 4 : 3);
      const std::string after = Users();
      ASSERT_EQ(after.size(), (added ? 5u : 4u) * kUserRecordSize);
      const size_t kept = file.size() - (added ? 0 : tail);
      EXPECT_EQ(after.substr(0, kept), file.substr(0, kept));
      EXPECT_TRUE(Look("eve").found);
      EXPECT_EQ(Look("dora").found, added);
    }
    EXPECT_GE(runs, 2);
    // Each way was played: a crash inside the write leaves a torn record,
    // and without one the account is added.
    EXPECT_EQ(saw_torn_tail, torn);
    EXPECT_EQ(saw_added, !torn);
  }
}

// Saving an account and removing one rewrite users.cfg as a whole; a write
// that fails on the way leaves the old file and no temporary file.
TEST_F(UsersFileFaultsTest, AFailedRewriteLeavesTheOldFileAndNoTemporaryFile) {
  const struct {
    const char* what;
    std::function<Status(Context&)> change;
  } changes[] = {
      {"save", [](Context& context) {
         return SaveAccount(context, "example.org", 1, MakeUser("bob;bobby", "bob", "new"), "");
       }},
      {"delete", [](Context& context) { return DeleteAccount(context, "example.org", 0, ""); }},
  };
  for (const auto& change : changes) {
    for (const int error : {EIO, ENOSPC}) {
      SCOPED_TRACE(std::string(change.what) + ", error " + std::to_string(error));
      Lay();
      FaultInjectionEnv env(installation_.plain());
      env.FailWritesTo("users.cfg", error);
      const std::unique_ptr<Context> context = installation_.OpenContext(env);
      const Status status = change.change(*context);
      EXPECT_FALSE(status.ok());
      EXPECT_EQ(status.sys_errno(), error) << status.ToString();
      EXPECT_NE(status.message().find("users.cfg"), std::string::npos) << status.ToString();
      EXPECT_EQ(Users(), old_file_);
      EXPECT_EQ(installation_.TemporaryFiles(), std::vector<std::string>{});
      EXPECT_EQ(Look("bob").count, 3);
    }
  }
}

}  // namespace
}  // namespace tarvelin
