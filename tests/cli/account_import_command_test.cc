// tarvelin-admin account import, run as a user would run it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/cli_runner.h"
#include "support/lock_holder.h"
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
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
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

TEST_F(AccountImportCommandTest, CountsEverySecondWithoutATerminal) {
  // Another program holds example.org's accounts for a while: the import
  // waits at its second line, and still tells how far it is.
  const pid_t holder =
      testing::StartLockHolder(dir_.path() + "inst/config/admin.lock", "users:example.org");
  ASSERT_GT(holder, 0);
  dir_.Write("accounts.txt", "a@example.net 1\nb@example.org 2\nc@example.org 3\n");
  const CommandRun run = Shell("(sleep 2.5; kill " + std::to_string(holder) + ") & " +
                               AdminProgram() + " " + install_ + " account import " + dir_.path() +
                               "accounts.txt 2>" + dir_.path() + "progress.txt; wait");
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.output, "added 3, failed 0\n");
  const std::string progress = dir_.Read("progress.txt");
  EXPECT_EQ(progress.rfind("1/3\n", 0), 0u) << "while it waits: " << progress;
  EXPECT_EQ(progress.substr(progress.size() - 4), "3/3\n") << "how it ended: " << progress;
  for (const std::string& line : Lines(progress)) {
    EXPECT_TRUE(line.size() == 3 && line[0] >= '1' && line[0] <= '3' && line.substr(1) == "/3")
        << progress;
  }
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

TEST_F(AccountImportCommandTest, SkipExistingCountsAccountsThatAreThere) {
  ASSERT_EQ(Run("account add taken@example.org").exit_code, 0);
  ASSERT_EQ(Run("account add other@example.net").exit_code, 0);
  dir_.Write("accounts.txt",
             "taken@example.org pw\n"
             "TAKEN@Example.ORG pw\n"
             "new@example.org pw\n"
             "x@missing.example pw\n");
  const std::string import = "account import " + dir_.path() + "accounts.txt";
  struct Case {
    std::string arguments;
    int exit_code;
    std::string output;
  };
  const Case cases[] = {
      {import + " --skip-existing", 1,
       "added 1, skipped 2, failed 1\n"
       "line 4: x@missing.example: no domain \"missing.example\"\n"
       "tarvelin-admin: 1 of 2 accounts were not added\n"},
      // A rerun adds nothing twice.
      {import + " --skip-existing", 1,
       "added 0, skipped 3, failed 1\n"
       "line 4: x@missing.example: no domain \"missing.example\"\n"
       "tarvelin-admin: 1 of 1 accounts were not added\n"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, c.output) << c.arguments;
  }
  EXPECT_EQ(Run("account list example.org").output, "1\tuser\tnew\n0\tuser\ttaken\n");

  const CommandRun plain = Run(import);
  EXPECT_EQ(plain.exit_code, 1);
  EXPECT_EQ(plain.output.rfind("added 0, failed 4\n", 0), 0u) << "without it they fail";

  // "other" is an account of example.net only.
  dir_.Write("other.txt", "other@example.org pw\n");
  const CommandRun json = Run("--json account import --skip-existing " + dir_.path() + "other.txt");
  EXPECT_EQ(json.exit_code, 0) << json.output;
  EXPECT_EQ(nlohmann::json::parse(json.output), (nlohmann::json{{"added", 1},
                                                                {"skipped", 0},
                                                                {"failed", nlohmann::json::array()},
                                                                {"not_reached", 0},
                                                                {"interrupted", false}}));
}

TEST_F(AccountImportCommandTest, ReadsAnyStreamAndIgnoresAByteOrderMark) {
  dir_.Write("bom.txt",
             "\xEF\xBB\xBF"
             "bom@example.org pw\n");
  const std::string admin = AdminProgram() + " " + install_ + " account import ";
  const struct {
    std::string command;
    std::string account;
  } cases[] = {
      {"bash -c '" + admin + "<(echo substituted@example.org pw)'", "substituted"},
      {"echo piped@example.org pw | " + admin + "/dev/stdin", "piped"},
      {"echo dash@example.org pw | " + admin + "-", "dash"},
      {admin + dir_.path() + "bom.txt", "bom"},
      {"printf '\\357\\273\\277bompipe@example.org pw\\n' | " + admin + "-", "bompipe"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Shell(c.command);
    EXPECT_EQ(run.exit_code, 0) << c.command << ": " << run.output;
    EXPECT_EQ(run.output, "added 1, failed 0\n") << c.command;
  }
  EXPECT_EQ(Run("account list example.org").output,
            "3\tuser\tbom\n4\tuser\tbompipe\n2\tuser\tdash\n1\tuser\tpiped\n"
            "0\tuser\tsubstituted\n")
      << "in name order";
}

// tarvelin-admin as a child of the test, its output in files, so that the
// test can signal it.
pid_t StartAdmin(const std::string& arguments, const std::string& out, const std::string& err) {
  const std::string command = "exec " + AdminProgram() + " " + arguments + " >" + out + " 2>" + err;
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return child;
}

int ExitCodeOf(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(AccountImportCommandTest, CtrlCStopsAfterTheCurrentAccountAndARerunFinishes) {
  // 1,000 accounts of example.net, then 1,000 of example.org, whose
  // accounts another program holds: the import is in the middle, at the
  // first of example.org, when Ctrl-C comes.
  std::string text;
  for (const std::string domain : {"example.net", "example.org"}) {
    for (int i = 0; i < 1000; ++i) {
      text += "user" + std::to_string(i) + "@" + domain + " " + domain + std::to_string(i) + "\n";
    }
  }
  dir_.Write("accounts.txt", text);
  const pid_t holder =
      testing::StartLockHolder(dir_.path() + "inst/config/admin.lock", "users:example.org");
  ASSERT_GT(holder, 0);
  const std::string import = "--json account import " + dir_.path() + "accounts.txt";
  const pid_t child =
      StartAdmin(install_ + " " + import, dir_.path() + "out.json", dir_.path() + "err.txt");
  ASSERT_GT(child, 0);
  for (int i = 0; i < 200 && dir_.Read("err.txt").find("1000/2000\n") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(child, SIGINT);
  // The signal is taken at once; the account at hand then gets its lock.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(ExitCodeOf(child), 130) << dir_.Read("err.txt");

  const nlohmann::json summary = nlohmann::json::parse(dir_.Read("out.json"));
  EXPECT_EQ(summary, (nlohmann::json{{"added", 1001},
                                     {"skipped", 0},
                                     {"failed", nlohmann::json::array()},
                                     {"not_reached", 999},
                                     {"interrupted", true}}));
  EXPECT_EQ(Run("account list example.org").output, "0\tuser\tuser0\n")
      << "the account at hand when Ctrl-C came is complete, no other";
  EXPECT_EQ(Lines(Run("account list example.net").output).size(), 1000u);
  const std::string progress = dir_.Read("err.txt");
  EXPECT_NE(progress.find("1000/2000\n"), std::string::npos) << progress;
  EXPECT_NE(progress.find("1001/2000\n" +
                          nlohmann::json{{"error",
                                          "interrupted: 999 accounts not reached; run again "
                                          "with --skip-existing to finish"},
                                         {"exit_code", 130}}
                              .dump()),
            std::string::npos)
      << progress;

  const CommandRun rerun = Shell("{ " + AdminProgram() + " " + install_ + " " + import +
                                 " --skip-existing 2>/dev/null; }");
  EXPECT_EQ(rerun.exit_code, 0) << rerun.output;
  const nlohmann::json finished = nlohmann::json::parse(rerun.output);
  EXPECT_EQ(finished["added"], 999);
  EXPECT_EQ(finished["skipped"], 1001);
  EXPECT_EQ(Lines(Run("account list example.org").output).size(), 1000u);
}

}  // namespace
}  // namespace tarvelin
