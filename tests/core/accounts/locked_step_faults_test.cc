// A program that dies inside a locked step on users.cfg (a save or a
// delete, from its checks to its rename): users.cfg is the old file or the
// new one, and the lock is not left behind for the next writer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

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

TEST(LockedStepFaultsTest, ACrashAnywhereInASaveOrDeleteLeavesOneFileAndNoHeldLock) {
  FaultInstallation installation;
  const std::string old_file = FileOf({MakeUser("ann", "ann", "pw1"), MakeUser("bob", "bob", "pw2")});
  const auto lay = [&] { installation.Lay({"example.org"}, {{kUsers, old_file}}); };
  const struct {
    const char* what;
    std::function<Status(Context&)> change;
  } changes[] = {
      {"save", [](Context& c) {
         return SaveAccount(c, "example.org", 1, MakeUser("bob;bobby", "bob", "new"), "", "bob");
       }},
      {"delete", [](Context& c) { return DeleteAccount(c, "example.org", 0, "", "ann"); }},
  };
  for (const auto& change : changes) {
    lay();
    {
      const std::unique_ptr<Context> context = installation.OpenContext(installation.plain());
      ASSERT_TRUE(change.change(*context).ok());
    }
    const std::string new_file = installation.Read(kUsers);
    int64_t runs = 0;
    for (bool crashed = true; crashed; ++runs) {
      SCOPED_TRACE(std::string(change.what) + ", death after " + std::to_string(runs) +
                   " mutating operations");
      lay();
      FaultInjectionEnv env(installation.plain());
      env.CrashAfter(runs);
      // The dead program's Context stays: only its step is over.
      const std::unique_ptr<Context> dead = installation.OpenContext(env);
      const Status status = change.change(*dead);
      crashed = env.crashed();
      if (!crashed) {
        EXPECT_TRUE(status.ok()) << status.ToString();
      }
      const std::string file = installation.Read(kUsers);
      EXPECT_TRUE(file == old_file || file == new_file) << file.size() << " bytes";

      // Another program writes the domain at once.
      const std::unique_ptr<Context> next = installation.OpenContext(installation.plain());
      const Result<int> added = AddAccount(*next, "example.org", MakeUser("cid", "cid", "pw3"), "");
      ASSERT_TRUE(added.ok()) << added.status().ToString();
      EXPECT_EQ(installation.Read(kUsers).size(), file.size() + kUserRecordSize);
    }
    EXPECT_GE(runs, 2);
  }
}

}  // namespace
}  // namespace tarvelin
