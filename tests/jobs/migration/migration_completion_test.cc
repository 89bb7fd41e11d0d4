#include "jobs/migration/migration_completion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/config/config_variables.h"
#include "foundation/bytes.h"
#include "jobs/migration/migration_queue.h"
#include "jobs/migration/migration_store.h"
#include "schema/user_record_offsets.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.push_back(std::filesystem::relative(entry.path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class MigrationCompletionTest : public testing::AccountInstallation {
 protected:
  void Set(int32_t id, SettingValue value) {
    ASSERT_TRUE(SetConfigSettingValue(context_, id, std::move(value)).ok()) << id;
  }
  void Queue(const std::string& line) {
    ASSERT_TRUE(AddMigrationRecord(context_, QueueRecordOf(line, MigrationProtocol::kPop3)).ok());
  }
  CompletionInput Pop3Download(const std::string& login, const std::string& password) {
    dir_.Write("download/" + login + "/1p.tmp", "one");
    dir_.Write("download/" + login + "/2p.tmp", "two");
    dir_.Write("download/" + login + "/notes.txt", "left behind");
    dir_.Write("download/" + login + ".uidl", "id1\r\nid2\r\n");
    CompletionInput input;
    input.login = login;
    input.password = password;
    input.download_folder = dir_.path() + "download/" + login;
    input.uidl_file = dir_.path() + "download/" + login + ".uidl";
    input.message_count = 2;
    return input;
  }
  std::string Log() { return dir_.Exists("logs/migrate.log") ? dir_.Read("logs/migrate.log") : ""; }

  void SetUp() override { Set(368, SettingValue::Text(dir_.path() + "logs/migrate.log")); }

  MigrationStatusCounters counters_;
};

TEST_F(MigrationCompletionTest, Pop3AccountIsCreatedInTheQueuedDomainWithItsMessages) {
  Set(372, SettingValue::Flag(true));
  Queue("john:pw:other.org");
  const CompletionInput input = Pop3Download("john", "pw");
  Result<CompletionOutcome> outcome = CompleteMigratedAccount(context_, input, counters_);
  ASSERT_TRUE(outcome.ok()) << outcome.status().ToString();
  EXPECT_TRUE(outcome->created);
  EXPECT_EQ(outcome->target, "john@other.org");

  const std::vector<UserRecord> users = Users("other.org");
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(AliasListOf(users[0]), "john");
  EXPECT_EQ(GetPString(users[0].data() + user_offsets::kNameAndNote, 254), "John");
  EXPECT_EQ(GetPString(users[0].data() + user_offsets::kMailbox, 127), "john");
  EXPECT_EQ(users[0][user_offsets::kMailboxMode], 0);

  const std::string folder = dir_.path() + "mail/other.org/john/";
  EXPECT_EQ(outcome->mail_folder, folder);
  const std::vector<std::string> names = Names(folder);
  ASSERT_EQ(names.size(), 3u) << "two messages and the identifiers";
  EXPECT_EQ(names[2], "migrateuidl.dat");
  EXPECT_EQ(dir_.Read("mail/other.org/john/migrateuidl.dat"), "id1\r\nid2\r\n");
  for (int i : {0, 1}) {
    EXPECT_TRUE(names[i].ends_with(".tmp")) << names[i];
    EXPECT_FALSE(names[i].ends_with("p.tmp")) << "a new name: " << names[i];
  }
  EXPECT_FALSE(dir_.Exists("download/john")) << "the download folder goes, with what was left";

  const std::vector<MigrationRecord> queued = ParseMigrationRecords(dir_.Read("config/migrate.dat"));
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].state(), kMigrationQueued);
  EXPECT_EQ(queued[0].target(), "john@other.org");

  EXPECT_EQ(counters_.accounts_created, 1u);
  EXPECT_EQ(counters_.accounts_created_8, 1u);
  EXPECT_EQ(counters_.accounts_created_12, 1u);
  EXPECT_EQ(counters_.messages_migrated, 2u);
  EXPECT_EQ(counters_.accounts_not_created, 0u);
  EXPECT_GT(counters_.last_created, 40000.0);
  EXPECT_NE(Log().find("] "), std::string::npos);
  EXPECT_NE(Log().find(" 'john@other.org' migrated, 2 messages\r\n"), std::string::npos) << Log();
}

TEST_F(MigrationCompletionTest, ImapTreeMovesWholeIntoAnImapMailbox) {
  CompletionInput input = Pop3Download("mary", "pw");
  input.protocol = MigrationProtocol::kImap;
  dir_.Write("download/mary/INBOX/1.imap", "a");
  dir_.Write("download/mary/Sent/2.imap", "b");
  Result<CompletionOutcome> outcome = CompleteMigratedAccount(context_, input, counters_);
  ASSERT_TRUE(outcome.ok()) << outcome.status().ToString();
  EXPECT_EQ(outcome->target, "mary@example.org") << "the first domain";
  EXPECT_EQ(Users("example.org").at(0)[user_offsets::kMailboxMode], 1);
  EXPECT_EQ(Names(outcome->mail_folder),
            (std::vector<std::string>{"1p.tmp", "2p.tmp", "INBOX", "INBOX/1.imap", "Sent",
                                      "Sent/2.imap", "migrateuidl.dat", "notes.txt"}));
  EXPECT_FALSE(dir_.Exists("download/mary"));
}

TEST_F(MigrationCompletionTest, ATakenAliasLeavesTheMessagesAndIsListedInMigrateErr) {
  PutUsers("example.org", {MakeRecord("john", "john", 0)});
  const CompletionInput input = Pop3Download("john", "pw");
  Result<CompletionOutcome> outcome = CompleteMigratedAccount(context_, input, counters_);
  ASSERT_TRUE(outcome.ok()) << outcome.status().ToString();
  EXPECT_FALSE(outcome->created);
  EXPECT_EQ(Users("example.org").size(), 1u);
  EXPECT_EQ(counters_.accounts_not_created, 1u);
  EXPECT_EQ(counters_.accounts_created, 0u);
  EXPECT_TRUE(dir_.Exists("download/john/1p.tmp"));
  EXPECT_EQ(dir_.Read("config/migrate.err"),
            "Error, 'john@example.org' cannot be created, alias or mailbox violation\r\n"
            "You have to create and trim this account manually.\r\n"
            "Downloaded messages for the account can be found in " +
                input.download_folder + "\r\n");
  EXPECT_NE(Log().find("Error, 'john@example.org' cannot be created"), std::string::npos);
}

TEST_F(MigrationCompletionTest, FinishPassMarksTheRecordFinishedAndDropsTheIdentifiers) {
  Queue("john:pw:other.org");
  CompletionInput input = Pop3Download("john", "pw");
  input.pass = MigrationPass::kFinish;
  input.stored_target = "jd@other.org";
  input.message_count = 5;
  Result<CompletionOutcome> outcome = CompleteMigratedAccount(context_, input, counters_);
  ASSERT_TRUE(outcome.ok()) << outcome.status().ToString();
  const std::vector<MigrationRecord> queued = ParseMigrationRecords(dir_.Read("config/migrate.dat"));
  EXPECT_EQ(queued.at(0).state(), kMigrationFinished);
  EXPECT_EQ(queued.at(0).target(), "jd@other.org");
  EXPECT_FALSE(dir_.Exists("download/john.uidl"));
  EXPECT_TRUE(Users("other.org").empty()) << "no account is made in the finish pass";
  EXPECT_NE(Log().find("'jd@other.org' migration finished, 5 additional messages"),
            std::string::npos);
}

TEST_F(MigrationCompletionTest, TargetByLoginVariables) {
  Queue("queued:pw:other.org");
  Queue("elsewhere:pw:nowhere.test");
  struct Case {
    bool alias_logins, separators, from_queue;
    std::string login, target;
  };
  const std::vector<Case> cases = {
      {false, false, false, "john@other.org", "john@example.org"},
      {true, false, false, "john@other.org", "john@other.org"},
      {true, false, false, "john%other.org", "john%other.org@example.org"},
      {true, true, false, "john%other.org", "john@other.org"},
      {true, true, false, " ann /other.org", "ann@other.org"},
      {false, false, true, "queued", "queued@other.org"},
      {false, false, true, "elsewhere", "elsewhere@example.org"},
      {false, false, false, "list;", "list@example.org"},
  };
  for (const Case& c : cases) {
    Set(115, SettingValue::Flag(c.alias_logins));
    Set(121, SettingValue::Flag(c.separators));
    Set(372, SettingValue::Flag(c.from_queue));
    EXPECT_EQ(MigrationTargetOf(context_, c.login, "pw"), c.target) << c.login;
  }
}

}  // namespace
}  // namespace tarvelin
