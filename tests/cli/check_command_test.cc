// tarvelin-admin check: one line per problem, JSON for scripts, and the
// exit code by the worst level found.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

class CheckCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(dir_.path() + "inst");
    inst_ = dir_.path() + "inst/";
    ASSERT_EQ(Run("create").exit_code, 0);
    // Added, not only listed by create: with a record of its own.
    ASSERT_EQ(Run("domain add example.org").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) {
    return Admin("--install-dir " + inst_ + " " + arguments);
  }
  // Only what the command printed on standard output.
  CommandRun OutputOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " --install-dir " + inst_ + " " + arguments +
                 " 2>/dev/null)");
  }
  void WriteUsers(const std::vector<UserRecord>& records) {
    dir_.Write("inst/config/example.org/users.cfg", testing::FileOf(records));
  }

  testing::TempDir dir_;
  std::string inst_;
};

TEST_F(CheckCommandTest, ExitsByTheWorstLevelFound) {
  const struct {
    std::string what;
    std::function<void()> make;
    int exit_code;
    std::string output;  // standard output
  } cases[] = {
      {"a fresh installation", [] {}, 0, "no problems found in " + inst_ + "\n"},
      {"a folder outside, which may be meant",
       [&] { dir_.Write("inst/path.dat", "\n\n\n\n\n/srv/spam/\n"); }, 0,
       "warning: " + inst_ + "path.dat: the spam folder (line 6) names /srv/spam/, outside the "
       "installation " + inst_ + "\n0 damaged files, 0 errors, 1 warning\n"},
      {"two accounts answering one alias",
       [&] {
         WriteUsers({testing::MakeUser("john", "john", "pw", "example.org/john/"),
                     testing::MakeUser("jo;john", "jo", "pw", "example.org/jo/")});
       },
       4,
       "error: " + inst_ + "config/example.org/users.cfg: accounts 'john' (position 0) and 'jo' "
       "(position 1) both answer the alias 'john' of example.org; its mail goes to the first\n"
       "0 damaged files, 1 error, 0 warnings\n"},
      {"a damaged file beside an error",
       [&] {
         WriteUsers({testing::MakeUser("john", "john", "pw", "example.org/john/"),
                     testing::MakeUser("jo", "jo", "pw", "example.org/john/")});
         std::filesystem::resize_file(inst_ + "config/settings.cfg", 28000);
       },
       5,
       "damaged: " + inst_ + "config/settings.cfg: holds 28000 bytes, not 28084 bytes: the "
       "settings past byte 28000 read as their built-in values\n"
       "error: " + inst_ + "config/example.org/users.cfg: account 'jo' (position 1) of "
       "example.org has the mail folder " + inst_ + "mail/example.org/john/ of account 'john' "
       "(position 0) of example.org\n"
       "1 damaged file, 1 error, 0 warnings\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    c.make();
    const CommandRun run = OutputOf("check");
    EXPECT_EQ(run.exit_code, c.exit_code) << c.what;
    EXPECT_EQ(run.output, c.output) << c.what;
  }
}

TEST_F(CheckCommandTest, JsonListsTheProblemsAsObjects) {
  std::filesystem::resize_file(inst_ + "config/domains.cfg", 50);
  const CommandRun damaged = OutputOf("--json check");
  EXPECT_EQ(damaged.exit_code, 5);
  const nlohmann::json problems = nlohmann::json::parse(damaged.output);
  ASSERT_TRUE(problems.is_array());
  ASSERT_EQ(problems.size(), 1u) << problems.dump();
  EXPECT_EQ(problems[0], (nlohmann::json{
                             {"level", "damaged"},
                             {"file", inst_ + "config/domains.cfg"},
                             {"problem", "holds 50 bytes, but the list of 1 domain takes 96 "
                                         "bytes: the entries past byte 50 read as blank domains"},
                         }));

  SetUp();
  EXPECT_EQ(OutputOf("--json check").output, "[]\n");
}

TEST_F(CheckCommandTest, NoInstallationIsNotFoundAndHelpStatesTheRule) {
  EXPECT_EQ(Admin("--install-dir " + dir_.path() + "nothing check").exit_code, 3);
  const CommandRun help = Admin("check --help");
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.output.find("Exits 0 when there are warnings at most, 5 when a file is damaged "
                             "or unreadable, else 4 when a check fails."),
            std::string::npos)
      << help.output;
  EXPECT_NE(help.output.find("Exit codes: 0 done,"), std::string::npos) << help.output;
}

}  // namespace
}  // namespace tarvelin
