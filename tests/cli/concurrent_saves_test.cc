// Two tarvelin-admin programs changing the configuration of one
// installation at the same time, as two administrators would: every domain
// either adds is listed once, no entry is blank, and neither program's
// setting is lost.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ConcurrentSavesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    admin_ = AdminProgram() + " --install-dir " + dir_.path() + "inst";
    const CommandRun created = Shell(admin_ + " create --domain example.org");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  // A shell loop of `count` runs of `arguments`, in which $i counts from
  // 1; prints "failed $i" for a run that fails.
  std::string Loop(int count, const std::string& arguments) const {
    return "for i in $(seq 1 " + std::to_string(count) + "); do " + admin_ + " " + arguments +
           " >/dev/null || echo \"failed $i: " + arguments + "\"; done";
  }
  // Both loops at once.
  CommandRun Together(const std::string& first, const std::string& second) const {
    return Shell("(" + first + ") & (" + second + ") & wait");
  }
  std::multiset<std::string> Listed() const {
    std::multiset<std::string> names;
    std::istringstream lines(Shell(admin_ + " domain list").output);
    for (std::string line; std::getline(lines, line);) {
      names.insert(line.substr(line.find('\t') + 1));
    }
    return names;
  }
  std::string Setting(int id) const {
    std::string value = Shell(admin_ + " config get " + std::to_string(id)).output;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }

  testing::TempDir dir_;
  std::string admin_;
};

TEST_F(ConcurrentSavesTest, DomainsAddedByTwoProgramsAreAllListedOnce) {
  const CommandRun run =
      Together(Loop(50, "domain add first-$i.example"), Loop(50, "domain add second-$i.example"));
  EXPECT_EQ(run.output, "");
  std::multiset<std::string> expected = {"example.org"};
  for (int i = 1; i <= 50; ++i) {
    expected.insert("first-" + std::to_string(i) + ".example");
    expected.insert("second-" + std::to_string(i) + ".example");
  }
  EXPECT_EQ(Listed(), expected);
}

TEST_F(ConcurrentSavesTest, OneNameAddedByBothIsListedOnceAndOneAddFails) {
  const CommandRun run =
      Together(Loop(20, "domain add same-$i.example"), Loop(20, "domain add same-$i.example"));
  std::multiset<std::string> expected = {"example.org"};
  for (int i = 1; i <= 20; ++i) expected.insert("same-" + std::to_string(i) + ".example");
  EXPECT_EQ(Listed(), expected);
  int failures = 0;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) failures += line.starts_with("failed");
  EXPECT_EQ(failures, 20) << run.output;
}

TEST_F(ConcurrentSavesTest, DifferentSettingsSetAtOnceAreBothKeptEveryRound) {
  for (int round = 1; round <= 15; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string host = "round-" + std::to_string(round) + ".example";
    const std::string port = std::to_string(2000 + round);
    EXPECT_EQ(Together(Loop(1, "config set 11 " + host), Loop(1, "config set 27 " + port)).output,
              "");
    EXPECT_EQ(Setting(11), host);
    EXPECT_EQ(Setting(27), port);
  }
}

TEST_F(ConcurrentSavesTest, ASettingSetWhileDomainsAreAddedKeepsEveryDomain) {
  const CommandRun run =
      Together(Loop(40, "domain add added-$i.example"), Loop(40, "config set 11 host-$i.example"));
  EXPECT_EQ(run.output, "");
  std::multiset<std::string> expected = {"example.org"};
  for (int i = 1; i <= 40; ++i) expected.insert("added-" + std::to_string(i) + ".example");
  EXPECT_EQ(Listed(), expected);
  EXPECT_EQ(Setting(11), "host-40.example");
}

}  // namespace
}  // namespace tarvelin
