// `tarvelin-admin service ...`, run as a user would run it, against the fake
// program installed under the services' program names.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "foundation/date_time.h"
#include "services/session_record.h"
#include "support/cli_runner.h"
#include "support/fake_service.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using Lines = std::vector<std::string>;

std::string LE(uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string DoubleBytes(double value) {
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &value, 8);
  return bytes;
}

class ServiceCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst_ = dir_.path() + "inst/";
    run_ = inst_ + "run/";
    install_ = "--install-dir " + inst_;
    const CommandRun created = Admin(install_ + " create");
    ASSERT_EQ(created.exit_code, 0) << created.output;
    ASSERT_TRUE(InstallFakePrograms(inst_));
    std::filesystem::create_directories(run_);
  }
  void TearDown() override { EndInstalledPrograms(inst_); }

  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  nlohmann::json Json(const std::string& arguments) {
    const CommandRun run = Admin(install_ + " --json " + arguments);
    EXPECT_EQ(run.exit_code, 0) << run.output;
    return nlohmann::json::parse(run.output, nullptr, /*allow_exceptions=*/false);
  }
  void Canned(const std::string& file, const std::string& bytes) {
    std::ofstream(run_ + file, std::ios::binary) << bytes;
  }

  testing::TempDir dir_;
  std::string inst_, run_, install_;
};

TEST_F(ServiceCommandsTest, StartStatusAndStop) {
  EXPECT_EQ(Run("service status").output,
            "SMTP (0)\tnot running\nPOP3 (1)\tnot running\nCONTROL (2)\tnot running\n"
            "IM (3)\tnot running\nGW (4)\tnot running\nLDAP (7)\tnot running\n"
            "IMAP (8)\tnot running\nFTP (10)\tnot running\nSIP (12)\tnot running\n");

  const CommandRun started = Run("service start pop3");
  EXPECT_EQ(started.exit_code, 0) << started.output;
  EXPECT_EQ(started.output.rfind("POP3 (1) running (pid ", 0), 0u) << started.output;
  EXPECT_EQ(Run("service start 8").output.rfind("IMAP (8) was already running", 0), 0u);

  const nlohmann::json status = Json("service status 1 imap SMTP");
  ASSERT_EQ(status.size(), 3u);
  EXPECT_EQ(status[0]["name"], "TarvelinPOP3");
  EXPECT_EQ(status[0]["running"], true);
  EXPECT_EQ(status[1]["id"], 8);
  EXPECT_EQ(status[1]["running"], true);
  EXPECT_EQ(status[2]["service"], "SMTP");
  EXPECT_EQ(status[2]["running"], false);

  const nlohmann::json stopped = Json("service stop POP3");
  EXPECT_EQ(stopped["state"], "stopped");
  EXPECT_EQ(stopped["changed"], true);
  EXPECT_EQ(Run("service status pop3").output, "POP3 (1)\tnot running\n");
  EXPECT_EQ(Run("service stop pop3").output, "POP3 (1) was already stopped\n");
}

TEST_F(ServiceCommandsTest, LdapAndFtpRunOnlyWhenSwitchedOn) {
  ASSERT_EQ(Run("service start control").exit_code, 0);
  EXPECT_EQ(Run("service status control ldap ftp").output,
            "CONTROL (2)\trunning\nLDAP (7)\tnot running\nFTP (10)\tnot running\n");
  ASSERT_EQ(Run("config set 109 1").exit_code, 0);
  ASSERT_EQ(Run("config set 422 1").exit_code, 0);
  EXPECT_EQ(Run("service status ldap ftp").output, "LDAP (7)\trunning\nFTP (10)\trunning\n");
}

TEST_F(ServiceCommandsTest, StatsDecodeTheBlock) {
  double start = 0;
  ASSERT_TRUE(EncodeDate({2024, 3, 5}, &start));
  start += 0.5;  // 12:00:00
  std::string block = LE(7, 4) + LE(0, 4) + DoubleBytes(start) + LE(1023, 8) + LE(1ull << 40, 8) +
                      LE(0, 8) + LE(static_cast<uint64_t>(-5), 8);
  for (int i = 0; i < 18; ++i) block += LE(static_cast<uint32_t>(100 + i), 4);
  block.back() = '\xff';  // the last counter (property 22) becomes negative
  ASSERT_EQ(block.size(), 120u);
  Canned("TarvelinSMTP.statistics", block);
  ASSERT_EQ(Run("service start smtp").exit_code, 0);

  const nlohmann::json stats = Json("service stats SMTP");
  EXPECT_EQ(stats["start_time"], "2024-03-05 12:00:00");
  EXPECT_EQ(stats["start_time_value"], start);
  EXPECT_GT(stats["running_seconds"].get<int64_t>(), 0);
  const nlohmann::json& counters = stats["counters"];
  ASSERT_EQ(counters.size(), 23u);
  auto value_of = [&](int property) -> nlohmann::json {
    for (const auto& counter : counters) {
      if (counter["property"] == property) return counter["value"];
    }
    return nullptr;
  };
  EXPECT_EQ(value_of(25), 7);
  EXPECT_EQ(value_of(1), 1023);
  EXPECT_EQ(value_of(2), 1ll << 40);
  EXPECT_EQ(value_of(4), -5);
  EXPECT_EQ(value_of(5), 100);
  EXPECT_EQ(value_of(23), 104);
  EXPECT_EQ(value_of(24), 105);
  EXPECT_EQ(value_of(11), 106);
  EXPECT_EQ(value_of(22), static_cast<int32_t>(0xff000000u + 117));

  const CommandRun human = Run("service stats 0");
  EXPECT_EQ(human.exit_code, 0);
  EXPECT_NE(human.output.find("started\t2024-03-05 12:00:00\n"), std::string::npos);
  EXPECT_NE(human.output.find("property 1\t1023 bytes\n"), std::string::npos) << human.output;
  EXPECT_EQ(RecordedRequests(run_, "TarvelinSMTP"), (Lines{"0210000000", "0210000000"}));
}

TEST_F(ServiceCommandsTest, StatsOfAServiceThatDoesNotRunSendNothing) {
  // The program still listens, but its pid file is gone: it does not run.
  ASSERT_EQ(Run("service start gw").exit_code, 0);
  std::filesystem::remove(run_ + "TarvelinCalendar.pid");
  const CommandRun run = Run("service stats gw");
  EXPECT_NE(run.exit_code, 0);
  EXPECT_EQ(run.output, "tarvelin-admin: GW (4) is not running\n");
  EXPECT_EQ(RecordedRequests(run_, "TarvelinCalendar"), Lines{});
}

TEST_F(ServiceCommandsTest, SessionsAsRows) {
  SessionRecord record;
  record.id = 42;
  record.status = 1;
  record.duration = 30;
  record.handle = 9;
  ASSERT_TRUE(EncodeDate({2024, 1, 2}, &record.start));
  record.server = 2;
  record.volume = 1234;
  record.ip = "198.51.100.4";
  record.val = "bob@example.org";
  Canned("TarvelinIM.history", SessionRecordBytes(record) + SessionRecordBytes(record));
  ASSERT_EQ(Run("service start im").exit_code, 0);

  EXPECT_EQ(Run("service sessions sip").output, "(no sessions)\n");
  const CommandRun rows = Run("service sessions sip --history");
  EXPECT_EQ(rows.output,
            "id\tstatus\tduration\thandle\tstart\tserver\tvolume\tip\tval\n"
            "42\t1\t30\t9\t2024-01-02 00:00:00\t2\t1234\t198.51.100.4\tbob@example.org\n"
            "42\t1\t30\t9\t2024-01-02 00:00:00\t2\t1234\t198.51.100.4\tbob@example.org\n");
  const nlohmann::json json = Json("service sessions 12 --history");
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[1]["ip"], "198.51.100.4");
  EXPECT_EQ(json[1]["volume"], 1234);
  EXPECT_EQ(Json("service sessions 3"), nlohmann::json::array());
  EXPECT_EQ(RecordedRequests(run_, "TarvelinIM"),
            (Lines{"0e10000031323b30", "0e10000031323b31", "0e10000031323b31", "0e100000333b30"}));
}

TEST_F(ServiceCommandsTest, ReloadAsksTheControlService) {
  const CommandRun without = Run("service reload");
  EXPECT_NE(without.exit_code, 0);
  EXPECT_EQ(without.output, "tarvelin-admin: the control service is not running\n");
  ASSERT_EQ(Run("service start CONTROL").exit_code, 0);
  EXPECT_EQ(Run("service reload").exit_code, 0);
  EXPECT_EQ(RecordedRequests(run_, "TarvelinControl"), Lines{CommandHex(4096, 1299, 0, 0)});
}

TEST_F(ServiceCommandsTest, ErrorsAreOneLineWithANonZeroExit) {
  std::filesystem::remove(inst_ + "cal");
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case kCases[] = {
      {"service start web", "unknown service web"},
      {"service stats 5", "unknown service 5"},
      {"service status pop3 6", "unknown service 6"},
      {"service start ldap", "LDAP (7) has no program of its own"},
      {"service start gw", "no program file " + inst_ + "cal"},
      {"service sessions pop3", "POP3 (1) did not answer the sessions request"},
      {"service stats imap", "IMAP (8) is not running"},
  };
  for (const Case& c : kCases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
}

}  // namespace
}  // namespace tarvelin
