// tarvelin-admin backup and restore, run as a user would run them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "jobs/backup/test_archive.h"
#include "platform/posix_env.h"
#include "platform/stale_temp_files.h"
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

std::string Today() {
  PosixEnv env;
  const CivilDate date = env.NowLocal().date;
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  return text;
}

TEST_F(BackupCommandsTest, ShowsTheNameOfTheArchiveItWrote) {
  const std::string today = Today();
  const std::string dated = dir_.path() + "conf-" + today + ".ilds";
  const CommandRun human = Shell(install_ + " backup '" + dir_.path() + "conf-\"yyyymmdd\".ilds'");
  const CommandRun json =
      Shell(install_ + " --json backup '" + dir_.path() + "json-\"yyyymmdd\".ilds'");
  if (Today() != today) GTEST_SKIP() << "the day changed during the test";
  ASSERT_EQ(human.exit_code, 0) << human.output;
  EXPECT_EQ(human.output, "backed up to " + dated + "\n");
  EXPECT_TRUE(dir_.Exists("conf-" + today + ".ilds"));
  ASSERT_EQ(json.exit_code, 0) << json.output;
  EXPECT_EQ(nlohmann::json::parse(json.output)["backup"], dir_.path() + "json-" + today + ".ilds");
}

TEST_F(BackupCommandsTest, FailuresAreOneLineWithANonZeroExit) {
  const struct {
    std::string command;
    int exit_code;
  } cases[] = {
      {install_ + " backup " + dir_.path() + "missing/backup.ilds", 3},
      {install_ + " restore " + dir_.path() + "missing.ilds", 3},
  };
  for (const auto& [command, exit_code] : cases) {
    const CommandRun run = Shell(command);
    EXPECT_EQ(run.exit_code, exit_code) << command << ": " << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_NE(run.output.find("tarvelin-admin: "), std::string::npos) << run.output;
  }
  EXPECT_EQ(Shell(install_ + " restore " + dir_.path() + "missing.ilds").output,
            "tarvelin-admin: cannot restore: no archive " + dir_.path() + "missing.ilds\n");
  EXPECT_EQ(Shell(install_ + " backup").exit_code, 2) << "FILE is required";
}

TEST_F(BackupCommandsTest, ProgressBarOnATerminal) {
  // script(1) gives the program a terminal as its standard output.
  const CommandRun run = Shell("script -qec '" + install_ + " backup " + archive_ + "' /dev/null");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("backup ["), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("100%"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("backed up to"), std::string::npos) << run.output;
}

namespace fs = std::filesystem;

// Files below `folder` that are temporary files of some process.
std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (TempFileProcess(name) >= 0) found.push_back(entry.path().string());
  }
  return found;
}

// tarvelin-admin run as a child of this process, killed with SIGKILL after
// `delay`.
void RunAndKill(const std::vector<std::string>& arguments, std::chrono::microseconds delay) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  std::this_thread::sleep_for(delay);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

TEST_F(BackupCommandsTest, RestoresKilledPartWayLeaveNoTemporaryFileBehind) {
  // Enough data that a restore takes a while: many small files and a few
  // larger ones.
  std::mt19937 random(20240607);
  for (int i = 0; i < 300; ++i) {
    std::string data(i % 10 == 0 ? 400000 : 3000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    dir_.Write("inst/config/example.org/files/f" + std::to_string(i) + ".dat", data);
  }
  ASSERT_EQ(Shell(install_ + " backup " + archive_).exit_code, 0);

  const std::vector<std::string> restore = {AdminProgram(), "--install-dir", dir_.path() + "inst",
                                            "restore", archive_};
  std::uniform_int_distribution<int> delay_us(0, 60000);
  for (int round = 0; round < 30; ++round) {
    RunAndKill(restore, std::chrono::microseconds(delay_us(random)));
  }
  const CommandRun finished = Shell(install_ + " restore " + archive_);
  ASSERT_EQ(finished.exit_code, 0) << finished.output;
  EXPECT_EQ(TemporaryFiles(dir_.path() + "inst"), std::vector<std::string>{});

  // A temporary file left where no entry goes is never packed, and the
  // backup removes it.
  dir_.Write("inst/config/.~tarvelin.999999999.00ab.1", "half written");
  ASSERT_EQ(Shell(install_ + " backup " + archive_).exit_code, 0);
  for (const testing::ArchiveEntry& entry : testing::ReadArchive(dir_.Read("backup.ilds"))) {
    const std::string name = entry.name.substr(entry.name.rfind('\\') + 1);
    EXPECT_LT(TempFileProcess(name), 0) << entry.name;
    EXPECT_NE(name, "admin.lock");
  }
  EXPECT_FALSE(dir_.Exists("inst/config/.~tarvelin.999999999.00ab.1"));
}

TEST_F(BackupCommandsTest, RestoreIntoAnotherInstallationReportsAndRelocatesItsFolders) {
  const std::string source = dir_.path() + "inst/";
  const std::string other = AdminProgram() + " --install-dir " + dir_.path() + "other";
  ASSERT_EQ(Shell(install_ + " backup " + archive_).exit_code, 0);
  ASSERT_EQ(Shell(other + " create").exit_code, 0);
  dir_.Write("other/path.dat", "\r\n\r\n\r\n\r\n\r\n" + source + "spam/\r\n");

  const CommandRun reported = Shell(other + " --json restore " + archive_);
  ASSERT_EQ(reported.exit_code, 0) << reported.output;
  const nlohmann::json report = nlohmann::json::parse(reported.output);
  EXPECT_EQ(report["relocated"], false);
  std::vector<std::string> settings;
  for (const auto& folder : report["foreign_folders"]) {
    settings.push_back(folder["setting"]);
    EXPECT_EQ(folder["value"].get<std::string>().rfind(source, 0), 0u) << folder;
    EXPECT_EQ(folder["here"].get<std::string>().rfind(dir_.path() + "other/", 0), 0u) << folder;
  }
  EXPECT_NE(std::find(settings.begin(), settings.end(), "mail root (settings.cfg)"),
            settings.end());
  EXPECT_NE(std::find(settings.begin(), settings.end(), "path.dat line 6"), settings.end());
  EXPECT_EQ(Shell(other + " config get 23").output, source + "mail/\n") << "only reported";

  const CommandRun relocated = Shell(other + " restore --relocate " + archive_);
  ASSERT_EQ(relocated.exit_code, 0) << relocated.output;
  EXPECT_NE(relocated.output.find("now this one's"), std::string::npos) << relocated.output;
  EXPECT_EQ(Shell(other + " config get 23").output, dir_.path() + "other/mail/\n");
  EXPECT_EQ(dir_.Read("other/path.dat"),
            "\r\n\r\n\r\n\r\n\r\n" + dir_.path() + "other/spam/\r\n");
  const CommandRun again = Shell(other + " --json restore " + archive_);
  EXPECT_EQ(nlohmann::json::parse(again.output)["foreign_folders"].size(),
            report["foreign_folders"].size() - 1)
      << "path.dat stays relocated; the archive brings its settings back";
}

}  // namespace
}  // namespace tarvelin
