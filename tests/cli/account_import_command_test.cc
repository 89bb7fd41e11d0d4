// tarvelin-admin account import, run as a user would run it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class AccountImportCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created =
        Admin(install_ + " create --domain example.org --domain example.net");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  std::string Password(const std::string& address) {
    const CommandRun shown = Run("--json account show --show-password " + address);
    EXPECT_EQ(shown.exit_code, 0) << shown.output;
    const nlohmann::json parsed = nlohmann::json::parse(shown.output);
    for (const auto& setting : parsed["settings"]) {
      if (setting["id"] == 33) return setting["value"];
    }
    return "";
  }
  // `count` lines "userN@example.org pwN".
  std::string Numbered(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      text += "user" + std::to_string(i) + "@example.org pw" + std::to_string(i) + "\n";
    }
    return text;
  }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(AccountImportCommandTest, AddsEveryGoodLineAndListsTheOthers) {
  ASSERT_EQ(Run("account add taken@example.org").exit_code, 0);
  dir_.Write("accounts.txt",
             "# accounts of the spring intake\n"
             "\n"
             "ann@example.org secret with spaces\n"
             "   carl@example.net\t \tpw2\r\n"
             "no-domain pw\n"
             "taken@example.org pw\n"
             "zed@example.org   \n"
             "  # an indented comment\n"
             "x@missing.example pw\n"
             "dora@example.org last");
  const CommandRun run = Run("account import " + dir_.path() + "accounts.txt");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.output,
            "added 3, failed 4\n"
            "line 5: no-domain: not an address (local@domain): no-domain\n"
            "line 6: taken@example.org: the alias \"taken\" is taken by taken@example.org\n"
            "line 7: zed@example.org: no password after the address\n"
            "line 9: x@missing.example: no domain \"missing.example\"\n"
            "tarvelin-admin: 4 of 7 accounts were not added\n");
  EXPECT_EQ(Run("account list example.org").output,
            "1\tuser\tann\n2\tuser\tdora\n0\tuser\ttaken\n");
  EXPECT_EQ(Run("account list example.net").output, "0\tuser\tcarl\n");
  EXPECT_EQ(Password("ann@example.org"), "secret with spaces");
  EXPECT_EQ(Password("carl@example.net"), "pw2") << "blanks before it and the CR are no part";
  EXPECT_EQ(Password("dora@example.org"), "last") << "a last line without a line break";
}

TEST_F(AccountImportCommandTest, SucceedsWhenEveryLineIsAdded) {
  dir_.Write("accounts.txt", "a@example.org 1\nb@example.org 2\n");
  const CommandRun run = Run("account import " + dir_.path() + "accounts.txt");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.output, "added 2, failed 0\n");

  dir_.Write("empty.txt", "# nothing yet\n");
  EXPECT_EQ(Run("account import " + dir_.path() + "empty.txt").output, "added 0, failed 0\n");
}

TEST_F(AccountImportCommandTest, ReadsStandardInputAndAnswersInJson) {
  dir_.Write("accounts.txt", "a@example.org 1\na@example.org 2\n");
  // The closing error line goes to standard error; the JSON alone is parsed.
  const CommandRun run =
      Shell("{ " + AdminProgram() + " " + install_ + " --json account import - < " + dir_.path() +
            "accounts.txt 2>/dev/null; }");
  EXPECT_EQ(run.exit_code, 1);
  const nlohmann::json json = nlohmann::json::parse(run.output);
  EXPECT_EQ(json["added"], 1);
  ASSERT_EQ(json["failed"].size(), 1u);
  EXPECT_EQ(json["failed"][0]["line"], 2);
  EXPECT_EQ(json["failed"][0]["address"], "a@example.org");
  EXPECT_EQ(json["failed"][0]["error"], "the alias \"a\" is taken by a@example.org");
}

TEST_F(AccountImportCommandTest, AMissingFileIsAnError) {
  const CommandRun run = Run("account import " + dir_.path() + "missing.txt");
  EXPECT_EQ(run.exit_code, 3) << "not found";
  EXPECT_EQ(run.output, "tarvelin-admin: cannot read " + dir_.path() +
                            "missing.txt: No such file or directory\n");
}

TEST_F(AccountImportCommandTest, CountsWithoutATerminal) {
  dir_.Write("accounts.txt", Numbered(1000));
  const CommandRun run = Run("account import " + dir_.path() + "accounts.txt");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.output, "1000/1000\nadded 1000, failed 0\n");
}

TEST_F(AccountImportCommandTest, DrawsABarOnATerminal) {
  testing::PseudoTerminal terminal;
  if (!terminal.ok()) GTEST_SKIP() << "no pseudo-terminals here";
  dir_.Write("accounts.txt", Numbered(90));
  // Only standard error goes to the terminal; the summary stays apart.
  const CommandRun run = Shell("{ " + AdminProgram() + " " + install_ + " account import " +
                               dir_.path() + "accounts.txt 2>" + terminal.slave_path() + "; }");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.output, "added 90, failed 0\n");
  const std::string drawn = terminal.Drain();
  EXPECT_EQ(drawn.find('\n'), std::string::npos) << "redrawn in place";
  const auto bar = [](int filled) {
    return "\r[" + std::string(filled, '#') + std::string(30 - filled, '.') + "] ";
  };
  EXPECT_NE(drawn.find(bar(0) + "1/90\033[K"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find(bar(1) + "3/90\033[K"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find(bar(30) + "90/90\033[K"), std::string::npos) << drawn;
  EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\033[K") << "the bar is cleared at the end";
}

}  // namespace
}  // namespace tarvelin
