// `migrate queue|check|finish`: what they queue, refuse and report, with
// their exit codes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "jobs/migration/migration_store.h"
#include "support/cli_runner.h"
#include "schema/config_offsets.h"
#include "support/dovecot_server.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class MigrationCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Admin(install_ + " create --domain example.org").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  // The server IP list as the services' own configuration tool may hold
  // it, with a port (the CLI's `config set` takes bare addresses only).
  void SetServerAddress(const std::string& address) {
    ServerConfig record = testing::RecordOfSettingsFile(dir_.Read("inst/config/settings.cfg"));
    record.SetText(offsets::kServerAddresses, address);
    dir_.Write("inst/config/settings.cfg", testing::SettingsFileOf(record));
  }
  std::vector<MigrationRecord> Queued() {
    if (!dir_.Exists("inst/config/migrate.dat")) return {};
    return ParseMigrationRecords(dir_.Read("inst/config/migrate.dat"));
  }
  testing::TempDir dir_;
  std::string install_;
};

TEST_F(MigrationCommandsTest, QueueRefusesBadListsBeforeQueueingAnything) {
  dir_.Write("long.txt", "a:b\n" + std::string(1 << 20, 'x') + "\n");
  dir_.Write("binary.txt", std::string("ok:1\n\xff\x01\0:2\n", 11));
  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } cases[] = {
      {"migrate queue", 2, "no accounts given"},
      {"migrate queue a:b --file " + dir_.path() + "long.txt", 2, "not both"},
      {"migrate queue --file " + dir_.path() + "missing.txt", 3, "cannot read"},
      {"migrate queue ann:1 :2", 4, "entry 2 (): empty user name"},
      {"migrate queue ann:1 bob", 4, "entry 2 (bob): not USER:PASS[:TARGET]"},
      {"migrate queue ann:" + std::string(48, 'p'), 4, "password longer than 47"},
      {"migrate queue " + std::string(64, 'u') + ":p", 4, "user name longer than 63"},
      {"migrate queue ann:p:" + std::string(123, 'd'), 4, "target longer than 126"},
      {"migrate queue --file " + dir_.path() + "long.txt", 4, "entry 2"},
      {"migrate queue --file " + dir_.path() + "binary.txt", 4,
       "entry 2 (\\xff\\x01\\x00): holds a control character"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments.substr(0, 80) << "\n" << run.output.substr(0, 400);
    EXPECT_NE(run.output.find(c.message), std::string::npos)
        << c.arguments.substr(0, 80) << "\n" << run.output.substr(0, 400);
    EXPECT_TRUE(Queued().empty()) << c.arguments.substr(0, 80);
  }
}

TEST_F(MigrationCommandsTest, QueueThenFinishShowsTheState) {
  dir_.Write("list.txt", "\r\n  carl:c3:carl@other.org \r\n\n");
  CommandRun run = Run("migrate queue ann:a1:example.org bob:b2");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("queued 2 account(s)"), std::string::npos) << run.output;
  run = Run("--json migrate queue --file " + dir_.path() + "list.txt");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(nlohmann::json::parse(run.output)["queued"], 1);
  const std::vector<MigrationRecord> queued = Queued();
  ASSERT_EQ(queued.size(), 3u);
  EXPECT_EQ(queued[0].target(), "ann@example.org");
  EXPECT_EQ(queued[1].target(), "bob@");
  EXPECT_EQ(queued[2].target(), "carl@other.org");
  EXPECT_EQ(queued[2].password(), "c3");

  run = Run("migrate finish");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.output, "in progress (0)\n");
  run = Run("--json migrate finish");
  EXPECT_EQ(nlohmann::json::parse(run.output),
            nlohmann::json({{"state", "in progress"}, {"value", 0}}));

  dir_.Write("inst/config/migrate.dat", "");
  EXPECT_EQ(Run("migrate finish").output, "finished (2)\n");
}

TEST_F(MigrationCommandsTest, FinishOfAnUnreadableQueueIsDamaged) {
  dir_.Write("inst/config/migrate.dat/x", "");
  const CommandRun run = Run("migrate finish");
  EXPECT_EQ(run.exit_code, 5) << run.output;
  EXPECT_NE(run.output.find("cannot read migrate.dat"), std::string::npos) << run.output;
}

TEST_F(MigrationCommandsTest, CheckSaysWhichLoginsFailed) {
  const int closed = testing::FreeLoopbackPort();
  SetServerAddress("127.0.0.1:" + std::to_string(closed));
  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } cases[] = {
      {"migrate check ann: :pw", 0, "ann\tskipped"},
      {"migrate check nocolon", 2, "not USER:PASS: nocolon"},
      {"migrate check ann:pw --timeout 2", 4, "1 of 1 login(s) failed"},
      {"migrate check ann:pw --timeout 2", 4, "ann\tfailed\t"},
      {"migrate check ann:pw --timeout 2", 4, "Connection refused"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

TEST_F(MigrationCommandsTest, CheckLogsInToARealServer) {
  testing::DovecotServer server({{"alice", "secret"}}, true);
  ASSERT_TRUE(server.ok()) << "Dovecot did not start: " << server.why();
  SetServerAddress("127.0.0.1:" + std::to_string(server.pop3_port()));
  ASSERT_EQ(Run("config set 373 1").exit_code, 0);
  CommandRun run = Run("--json migrate check alice:secret");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const nlohmann::json answer = nlohmann::json::parse(run.output);
  EXPECT_EQ(answer["logins"][0]["result"], "passed");
  EXPECT_EQ(answer["logins"][0]["tls"], true);
  run = Run("migrate check alice:wrong");
  EXPECT_EQ(run.exit_code, 4) << run.output;
}

}  // namespace
}  // namespace tarvelin
