// `challenge ...` and `db create-tables|drop-tables` as a user runs them:
// the store made through db.so with SQLite, pairs added, listed,
// authorized and deleted, and every refusal with its exit code and reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "jobs/challenge/challenge_record.h"
#include "support/cli_runner.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

constexpr char kFolder[] = "0cc175b9c0f1b6a831c399e269772661";

class ChallengeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = dir_.path() + "inst/";
    cli_ = "--install-dir " + install_ + " ";
    ASSERT_EQ(Admin(cli_ + "create --domain example.org").exit_code, 0);
  }
  // The library built here as the installation's db.so.
  bool WithDatabase() {
    if (!testing::StorageModeUnavailable(testing::StorageMode::kSqlite).empty()) return false;
    fs::create_symlink(TARVELIN_REAL_DB, install_ + "db.so");
    return true;
  }
  CommandRun Run(const std::string& arguments) { return Admin(cli_ + arguments); }
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " " + cli_ + arguments + " 2>&1 >/dev/null)");
  }
  void PendingFolder() {
    ChallengeRecord record;
    record.set_sender("ann@example.com");
    record.set_recipient("bob@example.org");
    const std::string folder = install_ + "spam/challenge/" + kFolder + "/";
    fs::create_directories(folder);
    std::ofstream(folder + "challenge.dat", std::ios::binary) << record.Bytes();
    std::ofstream(folder + "m1.tmp", std::ios::binary) << "Subject: held\r\n\r\nheld\r\n";
    std::ofstream(folder + "m1.dat", std::ios::binary)
        << "ann@example.com\r\nbob@example.org;\r\n1\r\n";
  }

  testing::TempDir dir_;
  std::string install_;
  std::string cli_;
};

TEST_F(ChallengeCommandsTest, TheStoreFromTablesToAuthorization) {
  if (!WithDatabase()) GTEST_SKIP() << "no db.so in this build";
  const CommandRun created =
      Run("db create-tables challenge --connection 'driver=sqlite;database=challenge.db'");
  ASSERT_EQ(created.exit_code, 0) << created.output;
  EXPECT_NE(created.output.find("created the challenge tables"), std::string::npos);
  EXPECT_TRUE(fs::exists(install_ + "config/challenge.db"));

  ASSERT_EQ(Run("challenge add bob@example.org ann@example.com --state 2").exit_code, 0);
  const CommandRun listed = Run("--json challenge list bob@example.org");
  ASSERT_EQ(listed.exit_code, 0) << listed.output;
  EXPECT_EQ(nlohmann::json::parse(listed.output),
            nlohmann::json::parse(R"([{"sender":"ann@example.com","recipient":"bob@example.org",
                                       "state":"2","folder":""}])"));

  PendingFolder();
  const CommandRun authorized = Run("--json challenge authorize " + std::string(kFolder));
  ASSERT_EQ(authorized.exit_code, 0) << authorized.output;
  const nlohmann::json done = nlohmann::json::parse(authorized.output);
  EXPECT_EQ(done["released"], 1);
  EXPECT_EQ(done["recipients"], 1);
  EXPECT_TRUE(fs::exists(install_ + "spam/released/" + kFolder + "-m1.tmp"));
  EXPECT_TRUE(fs::exists(install_ + "spam/released/" + kFolder + "-m1.dat"));
  EXPECT_FALSE(fs::exists(install_ + "spam/challenge/" + kFolder));
  EXPECT_EQ(Run("challenge list '' --flags 1").output, "ann@example.com;bob@example.org;1;\n");

  EXPECT_EQ(Run("challenge delete bob@example.org ann@example.com").exit_code, 0);
  EXPECT_EQ(Run("challenge list ''").output, "(no challenges)\n");
  ASSERT_EQ(Run("db drop-tables 3").exit_code, 0);
  EXPECT_EQ(Run("challenge list ''").exit_code, 1) << "the table is gone";
}

TEST_F(ChallengeCommandsTest, RefusalsSayWhy) {
  const bool database = WithDatabase();
  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } cases[] = {
      {"challenge path ..", 2, "the folder name \"..\" is refused: it holds \"..\""},
      {"challenge path 'a\\b'", 2, "is refused: it holds a path separator"},
      {"challenge path ../x", 2, "is refused: it holds a path separator"},
      {"challenge authorize .", 2, "is refused: it names no folder below the challenge folder"},
      {"challenge authorize ''", 2, "is refused: it names no folder below the challenge folder"},
      {"challenge delete b@x a@y --folder a/../../b", 2, "is refused: it holds a path separator"},
      {"challenge path " + std::string(300, 'f'), 2, "is refused: it is longer than 255 characters"},
      {"db create-tables mail --connection x", 2,
       "no service \"mail\": accounts, logs, groupware, challenge or 0 to 3"},
      {"db drop-tables 4", 2, "no service \"4\""},
      {"db create-tables challenge", 2, "--connection is required"},
      {"db create-tables groupware --connection gw", 1,
       "cannot create the groupware tables: the groupware service did not create its tables"},
  };
  for (const auto& c : cases) {
    const CommandRun run = ErrorsOf(c.arguments);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
    EXPECT_EQ(Run(c.arguments).exit_code, c.exit_code) << c.arguments;
  }
  if (!database) return;
  // The pending folder of an unknown challenge, and a name db.so would take
  // for the current connection when there is none.
  const CommandRun missing = ErrorsOf("challenge authorize " + std::string(kFolder));
  EXPECT_NE(missing.output.find("cannot authorize " + std::string(kFolder) + ": no challenge"),
            std::string::npos)
      << missing.output;
  EXPECT_EQ(Run("challenge authorize " + std::string(kFolder)).exit_code, 3);
  EXPECT_EQ(Run("challenge add b@x a@y").exit_code, 1);
}

TEST_F(ChallengeCommandsTest, PathNeedsNoDatabase) {
  const CommandRun root = Run("challenge path");
  ASSERT_EQ(root.exit_code, 0) << root.output;
  EXPECT_EQ(root.output, install_ + "spam/challenge/\n");
  EXPECT_EQ(Run("challenge path " + std::string(kFolder)).output,
            install_ + "spam/challenge/" + kFolder + "/\n");
}

}  // namespace
}  // namespace tarvelin
