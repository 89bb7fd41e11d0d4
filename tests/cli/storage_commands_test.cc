// tarvelin-admin storage status and storage migrate, run as a user would.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/cli_runner.h"
#include "support/lock_holder.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

// A MemoryFolder as in tests/jobs/storage: db.so commits every account on
// its own, and a disk's syncs would make a 10,000-account run take a minute.
std::string MemoryFolderIn(const std::string& fallback) {
  std::string pattern =
      (fs::exists("/dev/shm") ? std::string("/dev/shm") : fallback) + "/tarvelin-db-XXXXXX";
  return ::mkdtemp(pattern.data()) != nullptr ? pattern + "/" : std::string();
}

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

// An installation of example.org with Accounts() - 1 accounts and
// example.net with one (john, password s3cret), db.so in its lib/ folder.
class StorageCommandsTest : public ::testing::Test {
 protected:
  virtual int Accounts() const { return 500; }
  std::string Figure(int done) const {
    return std::to_string(done) + "/" + std::to_string(Accounts());
  }
  void SetUp() override {
    accounts_ = Accounts();
    if (!fs::exists(TARVELIN_REAL_DB)) GTEST_SKIP() << "db.so is not built here";
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created =
        Admin(install_ + " create --domain example.org --domain example.net");
    ASSERT_EQ(created.exit_code, 0) << created.output;
    std::vector<UserRecord> records;
    for (int i = 0; i < accounts_ - 1; ++i) {
      const std::string name = "user" + std::to_string(i);
      records.push_back(testing::MakeUser(name, name, "pw" + std::to_string(i)));
    }
    dir_.Write("inst/config/example.org/users.cfg", testing::FileOf(records));
    dir_.Write("inst/config/example.net/users.cfg",
               testing::FileOf({testing::MakeUser("john;js", "john", "s3cret")}));
    fs::create_directories(dir_.path() + "inst/lib");
    fs::create_symlink(TARVELIN_REAL_DB, dir_.path() + "inst/lib/db.so");
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  std::string Settings() const { return dir_.Read("inst/config/settings.cfg"); }
  nlohmann::json Status() {
    const CommandRun status = Run("--json storage status");
    EXPECT_EQ(status.exit_code, 0) << status.output;
    return nlohmann::json::parse(status.output);
  }
  // Logins and account show work in the mode the installation is in.
  void ExpectWorking() {
    const CommandRun auth =
        Shell("printf 's3cret\\n' | " + AdminProgram() + " " + install_ + " --json auth john");
    ASSERT_EQ(auth.exit_code, 0) << auth.output;
    EXPECT_EQ(nlohmann::json::parse(auth.output)["domain"], "example.net");
    const std::string last = "user" + std::to_string(accounts_ - 2);
    const CommandRun shown = Run("--json account show " + last + "@example.org");
    ASSERT_EQ(shown.exit_code, 0) << shown.output;
    EXPECT_NE(shown.output.find(last), std::string::npos);
    const CommandRun wrong =
        Shell("printf 'nope\\n' | " + AdminProgram() + " " + install_ + " auth user17");
    EXPECT_NE(wrong.exit_code, 0) << wrong.output;
  }

  testing::TempDir dir_;
  std::string install_;
  int accounts_ = 0;
};

class LargeStorageCommandsTest : public StorageCommandsTest {
 protected:
  int Accounts() const override { return 10000; }
  void TearDown() override {
    std::error_code ignored;
    if (!memory_.empty()) fs::remove_all(memory_, ignored);
  }
  std::string memory_ = MemoryFolderIn(dir_.path());
};

TEST_F(LargeStorageCommandsTest, MigratesIntoTheDatabaseAndBackAndKeepsWorking) {
  ASSERT_FALSE(memory_.empty());
  const nlohmann::json before = Status();
  EXPECT_EQ(before["mode"], "files");
  EXPECT_EQ(before["driver"], "sqlite");
  EXPECT_EQ(before["counts"], (nlohmann::json{{"domains", 2}, {"accounts", accounts_}}));

  const CommandRun there = Run(
      "storage migrate --to database --connection 'driver=sqlite;database=" + memory_ + "a.db'");
  ASSERT_EQ(there.exit_code, 0) << there.output;
  EXPECT_NE(there.output.find("moved 2 domains and 10000 accounts into the database"),
            std::string::npos)
      << there.output;
  const nlohmann::json database = Status();
  EXPECT_EQ(database["mode"], "database");
  EXPECT_EQ(database["reachable"], true);
  EXPECT_EQ(database["counts"], (nlohmann::json{{"domains", 2}, {"accounts", accounts_}}));
  EXPECT_EQ(database["files"], (nlohmann::json{{"domains", 2}, {"accounts", accounts_}}));
  // The accounts answered now are the database's.
  fs::remove(dir_.path() + "inst/config/example.net/users.cfg");
  ExpectWorking();

  const CommandRun again = Run("storage migrate --to database");
  EXPECT_EQ(again.exit_code, 4) << again.output;
  EXPECT_NE(again.output.find("in the database already"), std::string::npos) << again.output;

  const CommandRun back = Run("--json storage migrate --to files");
  ASSERT_EQ(back.exit_code, 0) << back.output;
  EXPECT_EQ(nlohmann::json::parse(back.output),
            (nlohmann::json{{"mode", "files"}, {"domains", 2}, {"accounts", accounts_}}));
  EXPECT_EQ(Status()["mode"], "files");
  ExpectWorking();
}

TEST_F(StorageCommandsTest, UsageMistakesAndRefusals) {
  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } cases[] = {
      {"storage migrate", 2, "--to is required"},
      {"storage migrate --to cloud", 2, "cloud"},
      {"storage migrate --to files --replace", 2, "apply only to --to database"},
      {"storage migrate --to files", 4, "in files already"},
  };
  const std::string settings = Settings();
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
  }
  EXPECT_EQ(Settings(), settings);
}

TEST_F(StorageCommandsTest, ADatabaseWithDomainsIsReplacedOnlyWithReplace) {
  const std::string target = "--connection 'driver=sqlite;database=" + dir_.path() + "a.db'";
  ASSERT_EQ(Run("storage migrate --to database " + target).exit_code, 0);
  ASSERT_EQ(Run("storage migrate --to files").exit_code, 0);
  const std::string settings = Settings();
  const CommandRun refused = Run("storage migrate --to database " + target);
  EXPECT_EQ(refused.exit_code, 4) << refused.output;
  EXPECT_NE(refused.output.find("already holds 2 domains"), std::string::npos) << refused.output;
  EXPECT_EQ(Settings(), settings);
  const CommandRun replaced = Run("storage migrate --to database --replace " + target);
  EXPECT_EQ(replaced.exit_code, 0) << replaced.output;
  ExpectWorking();
}

TEST_F(StorageCommandsTest, AnUnreachableDatabaseFailsWithTheReasonAndChangesNothing) {
  const std::string empty_folder = dir_.path() + "no-server";
  fs::create_directories(empty_folder);
  const struct {
    std::string connection;
    std::string reason;
  } cases[] = {
      {"driver=postgresql;host=" + empty_folder + ";port=5999;dbname=m;user=m;password=hunter2",
       empty_folder},
      {"driver=sqlite;database=" + dir_.path() + "missing/folder/a.db", "missing/folder"},
  };
  const std::string settings = Settings();
  for (const auto& c : cases) {
    const CommandRun run = Run("storage migrate --to database --connection '" + c.connection + "'");
    EXPECT_EQ(run.exit_code, 1) << run.output;
    EXPECT_EQ(run.output.rfind("tarvelin-admin: cannot move the domains and accounts into the "
                               "database: ",
                               0),
              0u)
        << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("hunter2"), std::string::npos) << run.output;
    EXPECT_EQ(Settings(), settings);
  }
  EXPECT_EQ(Status()["mode"], "files");
  ExpectWorking();
}

TEST_F(StorageCommandsTest, StatusStarsThePasswordAndSaysWhyTheDatabaseIsNotReached) {
  const std::string empty_folder = dir_.path() + "no-server";
  fs::create_directories(empty_folder);
  ASSERT_EQ(Run("config set 97 'driver=postgresql;host=" + empty_folder +
                ";port=5999;dbname=m;user=m;password=hunter2'")
                .exit_code,
            0);
  const CommandRun human = Run("storage status");
  ASSERT_EQ(human.exit_code, 0) << human.output;
  EXPECT_EQ(human.output.find("hunter2"), std::string::npos) << human.output;
  EXPECT_NE(human.output.find("password=***"), std::string::npos) << human.output;
  EXPECT_NE(human.output.find("mode: files\n"), std::string::npos) << human.output;
  EXPECT_NE(human.output.find("database: unreachable: "), std::string::npos) << human.output;
  const nlohmann::json json = Status();
  EXPECT_EQ(json["driver"], "postgresql");
  EXPECT_EQ(json["library_loads"], true);
  EXPECT_EQ(json["reachable"], false);
  EXPECT_EQ(json["problem"].get<std::string>().find("hunter2"), std::string::npos);

  fs::remove(dir_.path() + "inst/lib/db.so");
  const nlohmann::json without = Status();
  EXPECT_EQ(without["library_loads"], false);
  EXPECT_NE(without["problem"].get<std::string>().find("db.so"), std::string::npos) << without;
}

// Another program holds example.net's accounts: the migration waits there
// with all of example.org copied, and is ended.
class InterruptedMigrationTest : public StorageCommandsTest {
 protected:
  pid_t StartBlocked(const std::string& arguments) {
    holder_ = testing::StartLockHolder(dir_.path() + "inst/config/admin.lock", "users:example.net");
    EXPECT_GT(holder_, 0);
    const pid_t child =
        StartAdmin(install_ + " " + arguments, dir_.path() + "out.txt", dir_.path() + "err.txt");
    for (int i = 0;
         i < 400 && dir_.Read("err.txt").find(Figure(accounts_ - 1)) == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(dir_.Read("err.txt").find(Figure(accounts_ - 1)), std::string::npos)
        << dir_.Read("err.txt");
    return child;
  }
  void TearDown() override {
    if (holder_ > 0) {
      ::kill(holder_, SIGKILL);
      ::waitpid(holder_, nullptr, 0);
    }
  }
  pid_t holder_ = -1;
};

TEST_F(InterruptedMigrationTest, AKilledMigrationLeavesTheFilesInUse) {
  const std::string settings = Settings();
  const pid_t child = StartBlocked("storage migrate --to database");
  ::kill(child, SIGKILL);
  EXPECT_EQ(ExitCodeOf(child), -1);
  TearDown();
  holder_ = -1;
  EXPECT_EQ(Settings(), settings);
  EXPECT_EQ(Status()["mode"], "files");
  ExpectWorking();
  // The database the killed run half filled is refused until replaced.
  EXPECT_EQ(Run("storage migrate --to database").exit_code, 4);
  EXPECT_EQ(Run("storage migrate --to database --replace").exit_code, 0);
  ExpectWorking();
}

TEST_F(InterruptedMigrationTest, CtrlCSwitchesNothing) {
  const std::string settings = Settings();
  const pid_t child = StartBlocked("storage migrate --to database");
  ::kill(child, SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  TearDown();
  holder_ = -1;
  EXPECT_EQ(ExitCodeOf(child), 130) << dir_.Read("err.txt");
  EXPECT_NE(dir_.Read("err.txt").find("interrupted: nothing was switched"), std::string::npos)
      << dir_.Read("err.txt");
  EXPECT_EQ(Settings(), settings);
  ExpectWorking();
  // The run emptied what it had copied: a new one needs no --replace.
  EXPECT_EQ(Run("storage migrate --to database").exit_code, 0);
}

}  // namespace
}  // namespace tarvelin
