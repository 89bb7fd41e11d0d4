#include "jobs/migration/migration_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/config/config_variables.h"
#include "jobs/migration/migration_log.h"
#include "jobs/migration/migration_store.h"
#include "support/fake_service.h"

namespace tarvelin {
namespace {

constexpr uint32_t kCommand = 4096;

TEST(MigrationListLinesTest, SplitsAtLineFeedsTrimsAndSkipsEmptyLines) {
  EXPECT_EQ(MigrationListLines(" a:1 \r\n\n\t\nb:2\rc:3\n  "),
            (std::vector<std::string>{"a:1", "b:2\rc:3"}))
      << "only a line feed ends a line";
  EXPECT_TRUE(MigrationListLines("").empty());
  EXPECT_EQ(MigrationListLines(std::string("x\0y:z", 5)), (std::vector<std::string>{std::string("x\0y:z", 5)}));
}

TEST(QueueRecordOfTest, FieldsTargetsAndCuts) {
  struct Case {
    std::string line;
    std::string login, password, target;
  };
  const std::vector<Case> cases = {
      {"john:pw:example.org", "john", "pw", "john@example.org"},
      {"john:pw:jd@example.org", "john", "pw", "jd@example.org"},
      {"john:pw", "john", "pw", "john@"},
      {"john", "john", "", "john@"},
      {"john:p:w:x.org", "john", "p", "john@w"},
      {":pw:x.org", "", "pw", "@x.org"},
      {std::string(70, 'l') + ":" + std::string(50, 'p') + ":" + std::string(130, 'd'),
       std::string(63, 'l'), std::string(47, 'p'), std::string(63, 'l') + "@" + std::string(62, 'd')},
  };
  for (const Case& c : cases) {
    const MigrationRecord record = QueueRecordOf(c.line, MigrationProtocol::kPop3);
    EXPECT_EQ(record.login(), c.login) << c.line;
    EXPECT_EQ(record.password(), c.password) << c.line;
    EXPECT_EQ(record.target(), c.target) << c.line;
    EXPECT_EQ(record.state(), kMigrationQueued) << c.line;
    EXPECT_EQ(record.protocol(), MigrationProtocol::kPop3) << c.line;
  }
}

TEST(MigrationStateOfTest, FailedWinsThenAllFinished) {
  auto records = [](std::vector<uint8_t> states) {
    std::vector<MigrationRecord> out;
    for (uint8_t s : states) {
      out.emplace_back();
      out.back().set_state(s);
    }
    return out;
  };
  struct Case {
    std::vector<uint8_t> states;
    MigrationState state;
  };
  const std::vector<Case> cases = {
      {{}, MigrationState::kFinished},
      {{2, 2}, MigrationState::kFinished},
      {{2, 0, 2}, MigrationState::kSomeFailed},
      {{1, 0}, MigrationState::kSomeFailed},
      {{2, 1}, MigrationState::kInProgress},
      {{7}, MigrationState::kInProgress},
  };
  for (const Case& c : cases) EXPECT_EQ(MigrationStateOf(records(c.states)), c.state);
}

TEST(MigrationLogLineTest, ThreadDateZoneAndText) {
  struct Case {
    uint32_t thread;
    LocalTime when;
    std::string line;
  };
  const std::vector<Case> cases = {
      {0x1a2b, {{{2026, 12, 11}, {8, 5, 3}}, 60}, "[00001a2b] Fri, 11 Dec 2026 08:05:03 +0100 x"},
      {0xffffffff, {{{2024, 2, 29}, {23, 59, 59}}, -330}, "[ffffffff] Thu, 29 Feb 2024 23:59:59 -0530 x"},
      {0, {{{2000, 1, 2}, {0, 0, 0}}, 0}, "[00000000] Sun, 02 Jan 2000 00:00:00 +0000 x"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatMigrationLogLine(c.thread, c.when, "x"), c.line);
}

class MigrationQueueTest : public testing::AccountInstallation {
 protected:
  void SetNumber(int32_t id, int64_t value) {
    ASSERT_TRUE(SetConfigSettingValue(context_, id, SettingValue::Number(value)).ok());
  }
  std::vector<MigrationRecord> Stored() {
    return ParseMigrationRecords(dir_.Read("config/migrate.dat"));
  }
  void PutStates(const std::vector<uint8_t>& states) {
    std::string bytes;
    for (uint8_t state : states) {
      MigrationRecord record = QueueRecordOf("u" + std::to_string(bytes.size()) + ":p", MigrationProtocol::kImap);
      record.set_state(state);
      const MigrationRecord::Bytes stored = record.StoredBytes();
      bytes.append(stored.begin(), stored.end());
    }
    dir_.Write("config/migrate.dat", bytes);
  }
};

TEST_F(MigrationQueueTest, QueuesEveryLineWithTheConfiguredProtocolAndTellsThePop3Service) {
  FakeService pop3(dir_.path() + "run/", "TarvelinPOP3");
  ASSERT_TRUE(pop3.ready());
  SetNumber(373, 1);
  const QueueOutcome outcome =
      QueueMigrations(context_, MigrationListLines("ann:a1:example.org\n:nologin\nbob:b2\n"));
  EXPECT_EQ(outcome.queued, 2);
  EXPECT_EQ(outcome.skipped, std::vector<std::string>{":nologin"});
  const std::vector<MigrationRecord> records = Stored();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].target(), "ann@example.org");
  EXPECT_EQ(records[1].login(), "bob");
  EXPECT_EQ(records[1].password(), "b2") << "read back as queued, although stored scrambled";
  EXPECT_EQ(records[0].protocol(), MigrationProtocol::kPop3);
  EXPECT_EQ(pop3.Requests(), std::vector<std::string>{CommandHex(kCommand, 1536, 2, 0)});

  SetNumber(373, 0);
  QueueMigrations(context_, {"carl:c3"});
  EXPECT_EQ(Stored().back().protocol(), MigrationProtocol::kImap);
}

TEST_F(MigrationQueueTest, FinishAsksFirstAndAsksToProceedOnlyWhileInProgress) {
  FakeService pop3(dir_.path() + "run/", "TarvelinPOP3");
  ASSERT_TRUE(pop3.ready());
  struct Case {
    std::vector<uint8_t> states;  // none: no file
    bool file;
    MigrationState state;
  };
  const std::vector<Case> cases = {
      {{}, false, MigrationState::kFinished},
      {{}, true, MigrationState::kFinished},
      {{2, 0, 2}, true, MigrationState::kSomeFailed},
      {{2, 2}, true, MigrationState::kFinished},
      {{2, 1}, true, MigrationState::kInProgress},
  };
  for (const Case& c : cases) {
    if (c.file) PutStates(c.states);
    const size_t before = pop3.Requests().size();
    Result<MigrationState> state = FinishMigration(context_);
    ASSERT_TRUE(state.ok());
    EXPECT_EQ(*state, c.state);
    std::vector<std::string> expected = {CommandHex(kCommand, 1536, 1, 0)};
    if (c.state == MigrationState::kInProgress) expected.push_back(CommandHex(kCommand, 1536, 2, 0));
    const std::vector<std::string> all = pop3.Requests();
    EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<long>(before), all.end()), expected);
  }
}

TEST_F(MigrationQueueTest, FinishReportsAnUnreadableQueue) {
  dir_.Write("config/migrate.dat/x", "");
  EXPECT_FALSE(FinishMigration(context_).ok());
}

TEST_F(MigrationQueueTest, LogLinesAreAppendedWhenALogIsConfigured) {
  ASSERT_TRUE(AppendMigrationLog(context_, "nothing").ok()) << "no log configured";
  const std::string log = dir_.path() + "logs/migrate.log";
  ASSERT_TRUE(SetConfigSettingValue(context_, 368, SettingValue::Text(log)).ok());
  ASSERT_TRUE(AppendMigrationLog(context_, "one").ok());
  ASSERT_TRUE(AppendMigrationLog(context_, "two").ok());
  const std::string text = dir_.Read("logs/migrate.log");
  EXPECT_TRUE(text.starts_with("[")) << text;
  EXPECT_EQ(text.substr(text.size() - 5), "two\r\n");
  EXPECT_NE(text.find(" one\r\n["), std::string::npos) << text;
}

}  // namespace
}  // namespace tarvelin
