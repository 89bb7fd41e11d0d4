// The conventions every command keeps: --version, global options on either
// side of the subcommand, suggestions for a mistyped subcommand, the exit
// codes, and JSON errors for scripts.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ConventionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Admin(install_ + " create --domain example.org").exit_code, 0);
  }
  // What the command printed on standard error only.
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " " + arguments + " 2>&1 >/dev/null)");
  }
  testing::TempDir dir_;
  std::string install_;
};

TEST_F(ConventionsTest, VersionAndHelpNameTheExitCodes) {
  const CommandRun version = Admin("--version");
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.output.rfind("tarvelin-admin ", 0), 0u) << version.output;
  for (const std::string help : {"--help", "account --help", "config set --help"}) {
    const CommandRun run = Admin(help);
    EXPECT_EQ(run.exit_code, 0) << help;
    EXPECT_NE(
        run.output.find("Exit codes: 0 done, 1 failed, 2 usage error, 3 not found, "
                        "4 refused by a check, 5 damaged or unreadable file, 130 interrupted."),
        std::string::npos)
        << help;
  }
}

TEST_F(ConventionsTest, GlobalOptionsGoBeforeOrAfterTheSubcommand) {
  for (const std::string& arguments :
       {"--json " + install_ + " domain list", "domain list --json " + install_,
        "domain " + install_ + " list --json", install_ + " domain list --json"}) {
    const CommandRun run = Admin(arguments);
    ASSERT_EQ(run.exit_code, 0) << arguments << "\n" << run.output;
    EXPECT_EQ(nlohmann::json::parse(run.output)[0]["name"], "example.org") << arguments;
  }
}

TEST_F(ConventionsTest, UnknownSubcommandsAreNamedWithTheNearest) {
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"account lst", "unknown command 'lst' for 'account'; did you mean 'list'?"},
      {"acount list", "unknown command 'acount'; did you mean 'account'?"},
      {"--json account lst", "unknown command 'lst' for 'account'; did you mean 'list'?"},
      {install_ + " domain sh example.org", "unknown command 'sh' for 'domain'; did you mean 'show'?"},
      {"config frobnicate", "unknown command 'frobnicate' for 'config'"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(c.arguments);
    EXPECT_EQ(run.exit_code, 2) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

TEST_F(ConventionsTest, ExitCodesSayWhatKindOfFailure) {
  const struct {
    std::string arguments;
    int exit_code;
  } cases[] = {
      {"domain list", 0},
      {"domain bogus", 2},
      {"domain show", 2},
      {"account show nobody@example.org", 3},
      {"domain show missing.example", 3},
      {"account add 'a b@example.org'", 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Admin(install_ + " " + c.arguments).exit_code, c.exit_code) << c.arguments;
  }
  EXPECT_EQ(Admin("--install-dir " + dir_.path() + "none domain list").exit_code, 3);
}

TEST_F(ConventionsTest, JsonErrorsAreObjectsOnStandardError) {
  const struct {
    std::string arguments;
    int exit_code;
  } cases[] = {
      {"account show nobody@example.org", 3},
      {"account lst", 2},
      {"domain show", 2},
  };
  for (const auto& c : cases) {
    const CommandRun run = ErrorsOf("--json " + install_ + " " + c.arguments);
    const nlohmann::json error = nlohmann::json::parse(run.output);
    EXPECT_EQ(error["exit_code"], c.exit_code) << c.arguments;
    EXPECT_FALSE(error["error"].get<std::string>().empty()) << c.arguments;
    EXPECT_EQ(
        Shell("(" + AdminProgram() + " --json " + install_ + " " + c.arguments + " 2>/dev/null)")
            .output,
        "")
        << "nothing on standard output: " << c.arguments;
  }
}

}  // namespace
}  // namespace tarvelin
