// `tarvelin-admin mailbox ...`, run as a user would run it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class MailboxCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created = Admin(install_ + " create");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  std::string Box() const { return dir_.path() + "inst/mail/example.org/john/"; }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(MailboxCommandsTest, ConvertsToImapAndBack) {
  dir_.Write("inst/mail/example.org/john/1.tmp", "Subject: x\r\n\r\n..\r\n.\r\n");
  dir_.Write("inst/mail/example.org/john/Sent/2-S.imap", "sent");

  const CommandRun to_imap = Run("mailbox convert 'example.org\\john' --to imap");
  ASSERT_EQ(to_imap.exit_code, 0) << to_imap.output;
  EXPECT_EQ(to_imap.output, "converted " + Box() + " to the IMAP layout\n");
  EXPECT_EQ(dir_.Read("inst/mail/example.org/john/inbox/1.imap"), "Subject: x\r\n\r\n.");

  const CommandRun to_pop3 = Run("--json mailbox convert example.org/john --to pop3 --recursive");
  ASSERT_EQ(to_pop3.exit_code, 0) << to_pop3.output;
  EXPECT_EQ(nlohmann::json::parse(to_pop3.output), (nlohmann::json{{"path", "example.org/john"},
                                                                   {"folder", Box()},
                                                                   {"to", "pop3"},
                                                                   {"recursive", true},
                                                                   {"found", true}}));
  EXPECT_EQ(dir_.Read("inst/mail/example.org/john/1.tmp"), "Subject: x\r\n\r\n..\r\n.\r\n");
  EXPECT_EQ(dir_.Read("inst/mail/example.org/john/Sent/2.tmp"), "sent\r\n.\r\n");

  const CommandRun again = Run("mailbox convert " + Box() + " --to pop3");
  ASSERT_EQ(again.exit_code, 0) << again.output;
  EXPECT_EQ(again.output, "nothing to convert in " + Box() + "\n");
}

TEST_F(MailboxCommandsTest, TakesTheLayoutInAnyCase) {
  const struct {
    std::string to;
    std::string file;
  } cases[] = {{"IMAP", "inbox/1.imap"}, {"Pop3", "1.tmp"}, {"imap", "inbox/1.imap"}};
  dir_.Write("inst/mail/example.org/john/1.tmp", "x\r\n.\r\n");
  for (const auto& c : cases) {
    const CommandRun run = Run("--json mailbox convert example.org/john --to " + c.to);
    ASSERT_EQ(run.exit_code, 0) << c.to << ": " << run.output;
    EXPECT_EQ(nlohmann::json::parse(run.output)["found"], true) << c.to;
    EXPECT_TRUE(dir_.Exists("inst/mail/example.org/john/" + c.file)) << c.to;
  }
}

TEST_F(MailboxCommandsTest, NothingToConvertCreatesNothing) {
  dir_.Write("inst/mail/example.org/john/Sent/2.imap", "sent");
  const char* const cases[] = {"--to imap", "--to imap --recursive", "--to pop3"};
  for (const char* arguments : cases) {
    const CommandRun run = Run(std::string("mailbox convert example.org/john ") + arguments);
    EXPECT_EQ(run.exit_code, 0) << arguments << ": " << run.output;
    EXPECT_EQ(run.output, "nothing to convert in " + Box() + "\n") << arguments;
    EXPECT_FALSE(dir_.Exists("inst/mail/example.org/john/inbox")) << arguments;
  }
  EXPECT_EQ(dir_.Read("inst/mail/example.org/john/Sent/2.imap"), "sent");
}

TEST_F(MailboxCommandsTest, ErrorsAreOneLineWithANonZeroExit) {
  struct Case {
    std::string arguments;
    int exit_code;
    std::string message;
  };
  const Case cases[] = {
      {"mailbox convert example.org/john --to maildir", 2, "--to"},
      {"mailbox convert example.org/john", 2, "--to"},
      {"mailbox convert '' --to imap", 2, "no mailbox path given"},
      {"mailbox convert example.org/john --to imap", 3, "no mailbox folder " + Box()},
      {"mailbox convert example.org/john --to pop3 --recursive", 3, "no mailbox folder " + Box()},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << ": " << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
  }
  EXPECT_FALSE(dir_.Exists("inst/mail/example.org/john"));
}

}  // namespace
}  // namespace tarvelin
