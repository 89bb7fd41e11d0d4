// MailboxConvertMessages, GetUserStat and SpamIndexNow as a management program
// calls them. Each test runs in its own process, so the library starts
// uninitialised.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "schema/server_config.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

TEST(MaintenanceExports, PathsThatNameNoMailboxTouchNothing) {
  testing::TempDir dir;
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_EQ(::MailboxConvertMessages(nullptr, 0, 1), 0);
  EXPECT_EQ(::MailboxConvertMessages("", 1, 1), 0);
  // Before Init there is no mail root; the built-in "mail\" must not be
  // taken below whatever the current directory happens to be.
  dir.Write("mail/example.org/john/1.tmp", "x\r\n.\r\n");
  EXPECT_EQ(::MailboxConvertMessages("example.org\\john\\", 0, 0), 0);
  EXPECT_EQ(::MailboxConvertMessages("mail/example.org/john", 0, 0), 0);
  ASSERT_EQ(chdir(previous.c_str()), 0);
  EXPECT_FALSE(dir.Exists("mail/example.org/john/inbox"));
  EXPECT_TRUE(dir.Exists("mail/example.org/john/1.tmp"));

  EXPECT_EQ(::MailboxConvertMessages((dir.path() + "mail/example.org/john").c_str(), 0, 0), 1)
      << "an absolute path needs no mail root";
  EXPECT_EQ(dir.Read("mail/example.org/john/inbox/1.imap"), "x");
}

TEST(MaintenanceExports, ConvertBelowTheMailRootAfterInit) {
  testing::TempDir dir;
  dir.Write("config/settings.cfg", testing::SettingsFileOf(ServerConfig()));
  ASSERT_EQ(::Init(dir.path().c_str()), 0);
  dir.Write("mail/example.org/john/1.tmp", "Subject: x\r\n\r\n..\r\n.\r\n");

  EXPECT_EQ(::MailboxConvertMessages("example.org\\john\\", 0, 0), 1);
  EXPECT_EQ(dir.Read("mail/example.org/john/inbox/1.imap"), "Subject: x\r\n\r\n.");
  EXPECT_EQ(::MailboxConvertMessages("example.org\\john\\", 0, 0), 0) << "nothing left";

  EXPECT_EQ(::MailboxConvertMessages("example.org/john", 1, 0), 1);
  EXPECT_EQ(dir.Read("mail/example.org/john/1.tmp"), "Subject: x\r\n\r\n..\r\n.\r\n");
  EXPECT_FALSE(dir.Exists("mail/example.org/john/inbox/1.imap"));
}

TEST(MaintenanceExports, UserStatWritesTheReportOnceInitialised) {
  testing::TempDir dir;
  const std::string output = dir.path() + "report.csv";
  EXPECT_EQ(::GetUserStat("2006/1/1", "2006/1/31", "", output.c_str()), -5);
  EXPECT_FALSE(dir.Exists("report.csv")) << "nothing is written before Init";
  dir.Write("config/settings.cfg", testing::SettingsFileOf(ServerConfig()));
  ASSERT_EQ(::Init(dir.path().c_str()), 0);
  EXPECT_EQ(::GetUserStat("2006/1/1", "2006/1/31", "", nullptr), -3);
  ASSERT_EQ(::GetUserStat("2006/1/1", "2006/1/31", nullptr, output.c_str()), 0);
  const std::string report = dir.Read("report.csv");
  EXPECT_EQ(report.substr(0, 10), "[Domain],[");
  EXPECT_NE(report.find("\r\n-,-,0,0,0,0,0,0,,,,0,0\r\n*,*,0,0,0,0,0,0,,,,0,0\r\n"),
            std::string::npos);
}

TEST(MaintenanceExports, SpamIndexNowNeedsInitAndAnAccount) {
  EXPECT_EQ(::SpamIndexNow(nullptr), -5);
  EXPECT_EQ(::SpamIndexNow("john@example.org"), -5);
  testing::TempDir dir;
  dir.Write("config/settings.cfg", testing::SettingsFileOf(ServerConfig()));
  ASSERT_EQ(::Init(dir.path().c_str()), 0);
  EXPECT_EQ(::SpamIndexNow(nullptr), 0) << "no service running: the request goes nowhere";
  EXPECT_EQ(::SpamIndexNow("john@example.org"), -1);
  EXPECT_EQ(::SpamIndexNow("john"), -1) << "no domain at all";
}

}  // namespace
}  // namespace tarvelin
