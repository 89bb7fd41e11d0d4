// tarvelin-admin backup and restore, run as a user would run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class BackupCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = AdminProgram() + " --install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Shell(install_ + " create --domain example.org").exit_code, 0);
    archive_ = dir_.path() + "backup.ilds";
  }
  testing::TempDir dir_;
  std::string install_;
  std::string archive_;
};

TEST_F(BackupCommandsTest, BackupThenRestore) {
  const CommandRun backup = Shell(install_ + " backup " + archive_);
  ASSERT_EQ(backup.exit_code, 0) << backup.output;
  EXPECT_EQ(backup.output, "backed up to " + archive_ + "\n") << "no progress bar off a terminal";
  EXPECT_TRUE(dir_.Exists("backup.ilds"));

  ASSERT_EQ(Shell(install_ + " config set 27 2525").exit_code, 0);
  const CommandRun restore = Shell(install_ + " --json restore " + archive_);
  ASSERT_EQ(restore.exit_code, 0) << restore.output;
  EXPECT_EQ(nlohmann::json::parse(restore.output)["result"], 0);
  EXPECT_EQ(Shell(install_ + " config get 27").output, "25\n") << "the saved port came back";
}

TEST_F(BackupCommandsTest, FailuresAreOneLineWithANonZeroExit) {
  const std::string cases[] = {
      install_ + " backup " + dir_.path() + "missing/backup.ilds",
      install_ + " restore " + dir_.path() + "missing.ilds",
  };
  for (const std::string& command : cases) {
    const CommandRun run = Shell(command);
    EXPECT_NE(run.exit_code, 0) << command;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_NE(run.output.find("tarvelin-admin: "), std::string::npos) << run.output;
  }
  EXPECT_NE(Shell(install_ + " backup").exit_code, 0) << "FILE is required";
}

TEST_F(BackupCommandsTest, ProgressBarOnATerminal) {
  // script(1) gives the program a terminal as its standard output.
  const CommandRun run = Shell("script -qec '" + install_ + " backup " + archive_ + "' /dev/null");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("backup ["), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("100%"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("backed up to"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace tarvelin
