// Several tarvelin-admin processes changing one domain's accounts at once,
// as administrators and provisioning scripts do: no account is lost,
// duplicated or changed in another's place, whether users.cfg or a
// database (SQLite, PostgreSQL) keeps them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/bytes.h"
#include "schema/user_record.h"
#include "support/cli_installation.h"
#include "support/cli_runner.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::StorageMode;

constexpr int kDisplayName = 4;  // "display name;note"

class AccountWritersTest : public ::testing::TestWithParam<StorageMode> {
 protected:
  void SetUp() override {
    const std::string unavailable = testing::StorageModeUnavailable(GetParam());
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    installation_ = std::make_unique<testing::CliInstallation>(GetParam(), "example.org");
    ASSERT_EQ(installation_->why(), "");
    install_ = installation_->install();
  }

  std::string AdminCommand() const { return installation_->AdminCommand(); }

  // Runs the shell `scripts` at once and waits for all of them; each one's
  // output goes to its own file, read back in order.
  std::vector<std::string> RunTogether(const std::vector<std::string>& scripts) {
    std::string line = "(";
    for (size_t i = 0; i < scripts.size(); ++i) {
      line += " ( " + scripts[i] + " ) >" + dir_.path() + "out" + std::to_string(i) + " 2>&1 &";
    }
    line += " wait )";
    const CommandRun run = Shell(line);
    EXPECT_EQ(run.exit_code, 0) << run.output;
    std::vector<std::string> outputs;
    for (size_t i = 0; i < scripts.size(); ++i) outputs.push_back(dir_.Read("out" + std::to_string(i)));
    return outputs;
  }

  // An import file of "uN@example.org pwN" for N in [from, to).
  std::string ImportFile(const std::string& name, int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i) {
      text += "u" + std::to_string(i) + "@example.org pw" + std::to_string(i) + "\n";
    }
    dir_.Write(name, text);
    return dir_.path() + name;
  }

  // The primary alias and display name of every account, by position, read
  // as the services would (users.cfg, or db.so).
  struct Stored {
    std::string alias;
    std::string name;
  };
  std::vector<Stored> Accounts() const {
    std::string fault;
    const std::vector<UserRecord> records = installation_->Records("example.org", &fault);
    EXPECT_EQ(fault, "") << "every position holds one whole account";
    std::vector<Stored> accounts;
    for (const UserRecord& record : records) {
      const std::string name = GetPString(record.data() + kDisplayName, 254);
      accounts.push_back({PrimaryAliasOf(record), name.substr(0, name.find(';'))});
    }
    return accounts;
  }

  // Two provisioning scripts filling one domain at once, `each` accounts
  // apiece: each account lands at a position of its own, 0 to 2 * each - 1,
  // none lost and none doubled.
  void TwoImportsFillEveryPositionOnce(int each) {
    const std::vector<std::string> outputs =
        RunTogether({AdminCommand() + " account import " + ImportFile("first.txt", 0, each),
                     AdminCommand() + " account import " + ImportFile("second.txt", each, 2 * each)});
    for (const std::string& output : outputs) {
      EXPECT_NE(output.find("added " + std::to_string(each) + ", failed 0\n"), std::string::npos)
          << output;
    }
    const std::vector<Stored> accounts = Accounts();
    EXPECT_EQ(accounts.size(), 2u * each);
    const std::map<std::string, int> tally = Tally(accounts);
    ASSERT_EQ(tally.size(), 2u * each);
    for (const auto& [alias, count] : tally) EXPECT_EQ(count, 1) << alias;
  }

  static std::map<std::string, int> Tally(const std::vector<Stored>& accounts) {
    std::map<std::string, int> tally;
    for (const Stored& account : accounts) ++tally[account.alias];
    return tally;
  }

  testing::TempDir dir_;  // the processes' outputs and import files
  std::unique_ptr<testing::CliInstallation> installation_;
  std::string install_;
};

// The alias check and the append are one step: of four imports of the
// same addresses each address is added by exactly one.
TEST_P(AccountWritersTest, FourImportsOfTheSameAddressesAddEachOnce) {
  const std::string file = ImportFile("same.txt", 0, 500);
  const std::string import = AdminCommand() + " account import " + file;
  const std::vector<std::string> outputs = RunTogether({import, import, import, import});
  int added = 0;
  for (const std::string& output : outputs) {
    int count = 0;
    // After the progress counts of standard error, shown once a second.
    const size_t summary = output.find("added ");
    ASSERT_NE(summary, std::string::npos) << output;
    ASSERT_EQ(std::sscanf(output.c_str() + summary, "added %d", &count), 1) << output;
    added += count;
  }
  EXPECT_EQ(added, 500);
  const std::map<std::string, int> tally = Tally(Accounts());
  ASSERT_EQ(tally.size(), 500u);
  for (const auto& [alias, count] : tally) EXPECT_EQ(count, 1) << alias;
}

TEST_P(AccountWritersTest, FourImportsOfDisjointAddressesAddThemAll) {
  constexpr int kEach = 2000;
  std::vector<std::string> imports;
  for (int i = 0; i < 4; ++i) {
    const std::string file =
        ImportFile("part" + std::to_string(i) + ".txt", i * kEach, (i + 1) * kEach);
    imports.push_back(AdminCommand() + " account import " + file);
  }
  for (const std::string& output : RunTogether(imports)) {
    // After the progress counts of standard error.
    EXPECT_NE(output.find("added " + std::to_string(kEach) + ", failed 0\n"), std::string::npos)
        << output;
  }
  const std::map<std::string, int> tally = Tally(Accounts());
  ASSERT_EQ(tally.size(), 4u * kEach);
  for (const auto& [alias, count] : tally) EXPECT_EQ(count, 1) << alias;
}

TEST_P(AccountWritersTest, TwoImportsAtOnceFillEveryPositionOnce) {
  TwoImportsFillEveryPositionOnce(1000);
}

// The full provisioning figure in the database modes (seconds each). In
// files every add rewrites part of users.cfg and the run takes minutes, so
// files mode has only the thousand above.
TEST_P(AccountWritersTest, TwoImportsOfFiveThousandEachFillEveryPositionOnce) {
  if (GetParam() == StorageMode::kFiles) {
    GTEST_SKIP() << "2 x 5,000 in files mode takes minutes; the 2 x 1,000 case covers it";
  }
  TwoImportsFillEveryPositionOnce(5000);
}

// Deletes move every later account down a position. A change made at the
// position found before a delete would land on the neighbour: it is
// refused instead, and no account is lost or doubled.
TEST_P(AccountWritersTest, ChangesWhileOthersAreDeletedLandOnTheirOwnAccountOrAreRefused) {
  ASSERT_EQ(Admin("--install-dir " + install_ + " account import " + ImportFile("all.txt", 1, 301))
                .exit_code,
            0);
  const std::string admin = AdminCommand();
  const std::vector<std::string> outputs = RunTogether({
      "for i in $(seq 1 100); do " + admin + " account delete u$i@example.org || echo FAILED; done",
      "for i in $(seq 101 300); do " + admin +
          " account set u$i@example.org 2 changed-u$i >/dev/null 2>&1; echo \"u$i $?\"; done",
  });
  EXPECT_EQ(outputs[0].find("FAILED"), std::string::npos) << outputs[0];
  std::map<std::string, int> exit_codes;
  std::istringstream lines(outputs[1]);
  std::string alias;
  int code = 0;
  while (lines >> alias >> code) exit_codes[alias] = code;
  ASSERT_EQ(exit_codes.size(), 200u) << outputs[1];

  const std::vector<Stored> accounts = Accounts();
  const std::map<std::string, int> tally = Tally(accounts);
  ASSERT_EQ(tally.size(), 200u);
  for (const Stored& account : accounts) {
    EXPECT_EQ(tally.at(account.alias), 1) << account.alias;
    ASSERT_EQ(exit_codes.count(account.alias), 1u) << account.alias << " should be gone";
    if (exit_codes[account.alias] == 0) {
      EXPECT_EQ(account.name, "changed-" + account.alias) << "a change that said it was saved";
    } else {
      EXPECT_EQ(account.name, "") << "a refused change left nothing behind";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(StorageModes, AccountWritersTest,
                         ::testing::Values(StorageMode::kFiles, StorageMode::kSqlite,
                                           StorageMode::kPostgres),
                         testing::StorageModeName);

}  // namespace
}  // namespace tarvelin
