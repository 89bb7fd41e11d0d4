// Two tarvelin-admin programs changing different settings of one record at
// the same time: each loads the record, changes its setting and saves it,
// so without one step for the three, a save carries the other program's
// setting back to what it loaded. Each program reads its own setting back
// after every change and says when it finds it lost. The same holds in
// every storage mode.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/cli_installation.h"
#include "support/cli_runner.h"
#include "support/storage_modes.h"

namespace tarvelin {
namespace {

using testing::StorageMode;

class SameRecordChangesTest : public ::testing::TestWithParam<StorageMode> {
 protected:
  void SetUp() override {
    const std::string unavailable = testing::StorageModeUnavailable(GetParam());
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    installation_ = std::make_unique<testing::CliInstallation>(GetParam(), "example.org");
    ASSERT_EQ(installation_->why(), "");
    admin_ = installation_->AdminCommand();
    const CommandRun added =
        Shell("echo Secret-1234 | " + admin_ + " account add bob@example.org --password-stdin");
    ASSERT_EQ(added.exit_code, 0) << added.output;
  }

  // `rounds` changes of setting `id` by `set` to a value of the round, each
  // read back through `show`, whose lines are "ID<tab>...<tab>VALUE" or
  // "NAME<tab>ID<tab>...<tab>VALUE".
  std::string Loop(int rounds, const std::string& set, const std::string& show, int id,
                   const std::string& value) const {
    const std::string ids = std::to_string(id);
    return "for i in $(seq 1 " + std::to_string(rounds) + "); do " + admin_ + " " + set + " " +
           ids + " " + value + " >/dev/null || echo \"failed " + ids + " $i\"; got=$(" + admin_ +
           " " + show + " | awk -F'\\t' '$1==" + ids + " || $2==" + ids +
           " {print $NF}'); [ \"$got\" = " + value + " ] || echo \"lost " + ids +
           " $i: $got\"; done";
  }

  CommandRun Together(const std::string& first, const std::string& second) const {
    return Shell("(" + first + ") & (" + second + ") & wait");
  }

  std::unique_ptr<testing::CliInstallation> installation_;
  std::string admin_;
};

TEST_P(SameRecordChangesTest, DomainSettingsOfTwoProgramsAreBothKept) {
  // A domain added as users add one, with its record.
  const CommandRun added = Shell(admin_ + " domain add d.example");
  ASSERT_EQ(added.exit_code, 0) << added.output;
  const std::string set = "domain set d.example";
  const std::string show = "domain show d.example";
  // Disk quota and administrator limit: numbers only these loops change.
  const CommandRun run =
      Together(Loop(30, set, show, 11, "$((i + 1000))"), Loop(30, set, show, 9, "$((i + 100))"));
  EXPECT_EQ(run.output, "");
}

TEST_P(SameRecordChangesTest, AccountSettingsOfTwoProgramsAreBothKept) {
  const std::string set = "account set bob@example.org";
  const std::string show = "account show bob@example.org";
  // The display name and the account state.
  const CommandRun run =
      Together(Loop(30, set, show, 2, "name-$i"), Loop(30, set, show, 17, "$((i % 2))"));
  EXPECT_EQ(run.output, "");
}

INSTANTIATE_TEST_SUITE_P(StorageModes, SameRecordChangesTest,
                         ::testing::Values(StorageMode::kFiles, StorageMode::kSqlite,
                                           StorageMode::kPostgres),
                         testing::StorageModeName);

}  // namespace
}  // namespace tarvelin
