// db.so's log and challenge-response exports as a caller sees them: the log
// entry lands in its table, the pairs are added, looked up, listed and
// removed through a connection text or the current connection, and every
// refusal leaves its reason for DBLastError.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "backend/connections.h"
#include "backend/db_exports_fixture.h"

namespace tarvelin::testing {
namespace {

class DbLogChallengeTest : public DbExportsTest {
 protected:
  // The challenge list as DBChallengeGetList gives it, the buffer handed
  // back; "failed: <last error>" when the call fails.
  std::string List(const std::string& connection, const std::string& recipient,
                   const std::string& flags) {
    char* list = reinterpret_cast<char*>(1);
    int32_t length = -1;
    if (db_.DBChallengeGetList(DbText(connection).in(), DbText(recipient).in(), DbText(flags).in(),
                               &list, &length, 0) == 0) {
      return "failed: " + db_.LastError();
    }
    std::string text(list, length);
    EXPECT_EQ(list[length], '\0');
    db_.DBChallengeFreeList(&list);
    EXPECT_EQ(list, nullptr);
    return text;
  }

  uint8_t Add(const std::string& connection, const std::string& sender,
              const std::string& recipient, const std::string& state,
              const std::string& folder = "") {
    return db_.DBAddSenderChallenge(DbText(connection).in(), DbText(sender).in(),
                                    DbText(recipient).in(), DbText(state).in(),
                                    DbText(folder).in());
  }
};

TEST_P(DbLogChallengeTest, LogsOneEntryAndRefusesAKindNoLogHas) {
  db_.DBDoLog(DbText(text_).in(), 14, 1, DbText("'System' created 'ann@a.example'").in(),
              DbText("2026-12-11 03:04:05").in(), DbText("1a2b").in(), DbText("SYSTEM").in(),
              DbText("node1").in());
  EXPECT_EQ(db_.LastError(), "");
  db_.DBDoLog(DbText(text_).in(), 16, 1, DbText("lost").in(), DbText("t").in(), DbText("00").in(),
              DbText("SYSTEM").in(), DbText("").in());
  EXPECT_EQ(db_.LastError(), "log kind 16 is not one of 0 to 15");

  auto connection = backend::OpenConnection(*backend::ParseConnectionText(text_));
  ASSERT_TRUE(connection.ok()) << connection.status().ToString();
  auto select =
      (*connection)
          ->Prepare("SELECT kind, bits, logged_at, thread, source, tag, message FROM log_entries");
  ASSERT_TRUE(select.ok()) << select.status().ToString();
  ASSERT_TRUE(*(*select)->Step());
  EXPECT_EQ((*select)->ColumnInt(0), 14);
  EXPECT_EQ((*select)->ColumnInt(1), 1);
  EXPECT_EQ((*select)->ColumnBytes(2), "2026-12-11 03:04:05");
  EXPECT_EQ((*select)->ColumnBytes(3), "1a2b");
  EXPECT_EQ((*select)->ColumnBytes(4), "SYSTEM");
  EXPECT_EQ((*select)->ColumnBytes(5), "node1");
  EXPECT_EQ((*select)->ColumnBytes(6), "'System' created 'ann@a.example'");
  EXPECT_FALSE(*(*select)->Step()) << "the refused entry was stored";
}

TEST_P(DbLogChallengeTest, LogTablesLiveOnTheConnectionHandle) {
  TarvelinDbConnection* handle = db_.DBSetConnection(DbText(text_).in());
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(db_.DBCreateLogTables(handle), 1) << db_.LastError();
  EXPECT_EQ(db_.DBDropLogTables(nullptr), 1) << "null: the current connection";
  EXPECT_EQ(db_.DBDropLogTables(handle), 1) << "dropping twice is no failure";
  int stray = 0;
  EXPECT_EQ(db_.DBCreateLogTables(reinterpret_cast<TarvelinDbConnection*>(&stray)), 0);
  EXPECT_NE(db_.LastError(), "");
  // Entries after the drop make the table again.
  db_.DBDoLog(DbText(text_).in(), 0, 1, DbText("m").in(), DbText("t").in(), DbText("01").in(),
              DbText("SMTP").in(), DbText("").in());
  EXPECT_EQ(db_.LastError(), "");
}

TEST_P(DbLogChallengeTest, APairGoesThroughItsLife) {
  ASSERT_EQ(db_.DBChallengeCreateTables(DbText(text_).in()), 1) << db_.LastError();
  ASSERT_EQ(Add(text_, "Ann@Example.com", "bob@local.test", "2", "0123abcd"), 1) << db_.LastError();

  DbText state("x");
  DbText folder("y");
  ASSERT_EQ(db_.DBSenderChallenge(DbText(text_).in(), DbText("ann@example.COM").in(),
                                  DbText("BOB@local.test").in(), state.out(), folder.out()),
            1)
      << db_.LastError();
  EXPECT_EQ(state.str(), "2");
  EXPECT_EQ(folder.str(), "0123abcd");

  ASSERT_EQ(db_.DBSetSenderChallenge(DbText(text_).in(), DbText("ann@example.com").in(),
                                     DbText("bob@local.test").in(), DbText("1").in()),
            1)
      << db_.LastError();
  EXPECT_EQ(List(text_, "bob@local.test", ""), "ann@example.com;bob@local.test;1;0123abcd\r\n");
  EXPECT_EQ(List(text_, "", "2"), "");

  ASSERT_EQ(db_.DBChallengeDeleteEmail(DbText(text_).in(), DbText("bob@local.test").in(),
                                       DbText("ann@example.com").in()),
            1)
      << db_.LastError();
  // An unknown pair is an answer, not a failure.
  EXPECT_EQ(db_.DBSenderChallenge(DbText(text_).in(), DbText("ann@example.com").in(),
                                  DbText("bob@local.test").in(), state.out(), folder.out()),
            0);
  EXPECT_EQ(db_.LastError(), "");
  EXPECT_EQ(List(text_, "", ""), "");
  EXPECT_EQ(db_.DBChallengeDropTables(DbText(text_).in()), 1) << db_.LastError();
}

TEST_P(DbLogChallengeTest, ANameWithoutEqualsMeansTheCurrentConnection) {
  const std::string name = "QuorantSpamChallenge";
  ASSERT_EQ(db_.DBChallengeCreateTables(DbText(name).in()), 1) << db_.LastError();
  ASSERT_EQ(Add(name, "ann@example.com", "bob@local.test", "2"), 1) << db_.LastError();
  EXPECT_EQ(List(text_, "", ""), "ann@example.com;bob@local.test;2;\r\n");
}

TEST_P(DbLogChallengeTest, RefusalsLeaveTheirReason) {
  ASSERT_EQ(db_.DBChallengeCreateTables(DbText(text_).in()), 1) << db_.LastError();
  ASSERT_EQ(Add(text_, "ann@example.com", "bob@local.test", "2", "f"), 1);
  const DbText connection(text_);
  const struct {
    std::function<uint8_t()> call;
    const char* error;
  } cases[] = {
      {[&] { return Add(text_, "ANN@example.com", "bob@local.test", "1"); },
       "the challenge pair 'ann@example.com' to 'bob@local.test' is already there"},
      {[&] { return Add(text_, "", "bob@local.test", "1"); }, "the challenge pair has no sender"},
      {[&] { return Add(text_, "a;b@example.com", "bob@local.test", "1"); },
       "the sender 'a;b@example.com' holds a ';' or a line break"},
      {[&] { return Add(text_, "carl@example.com", "bob@local.test", "12"); },
       "a challenge state is one character, not '12'"},
      {[&] {
         return db_.DBSetSenderChallenge(connection.in(), DbText("carl@example.com").in(),
                                         DbText("bob@local.test").in(), DbText("1").in());
       },
       "no challenge pair 'carl@example.com' to 'bob@local.test'"},
      {[&] {
         return db_.DBChallengeDeleteEmail(connection.in(), DbText("bob@local.test").in(),
                                           DbText("carl@example.com").in());
       },
       "no challenge pair 'carl@example.com' to 'bob@local.test'"},
      {[&] {
         return db_.DBChallengeGetList(connection.in(), DbText("").in(), DbText("").in(), nullptr,
                                       nullptr, 0);
       },
       "DBChallengeGetList needs somewhere to put the list"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(), 0) << c.error;
    EXPECT_EQ(db_.LastError(), c.error);
  }
  EXPECT_EQ(List(text_, "", ""), "ann@example.com;bob@local.test;2;f\r\n") << "kept as it was";
  db_.DBChallengeFreeList(nullptr);  // no crash
}

INSTANTIATE_TEST_SUITE_P(Engines, DbLogChallengeTest, ::testing::ValuesIn(ConnectionFactories()),
                         FactoryName);

}  // namespace
}  // namespace tarvelin::testing
