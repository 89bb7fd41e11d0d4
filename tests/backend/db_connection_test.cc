// db.so's connections through its exports: what a caller learns when a
// connection cannot be made or stops working, the tables' life, and two
// processes adding to one domain at once.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>

#include "backend/db_exports_fixture.h"

namespace tarvelin::testing {
namespace {

using DbConnectionTest = DbExportsTest;

TEST_P(DbConnectionTest, GivesTheCurrentTextAndSurvivesAReload) {
  DbText current;
  db_.DBGetConnection(current.out());
  EXPECT_EQ(current.str(), text_);
  EXPECT_EQ(db_.DBCheckConnection(DbText(text_).in()), 1) << db_.LastError();
  AddDomain("kept.example");
  db_.DBReloadConfig();
  EXPECT_EQ(db_.DBGetDomainCount(), 1) << db_.LastError();
  // The handle DBSetConnection gave stays good across a reload.
  TarvelinDbConnection* handle = db_.DBSetConnection(DbText(text_).in());
  db_.DBReloadConfig();
  EXPECT_EQ(db_.DBCreateTables(handle), 1) << db_.LastError();
  EXPECT_EQ(db_.DBCreateTables(nullptr), 1) << "null: the current connection";
}

TEST_P(DbConnectionTest, DroppedTablesAreToldAndCreatedAgain) {
  AddDomain("a.example");
  ASSERT_EQ(db_.DBDropTables(nullptr), 1) << db_.LastError();
  EXPECT_EQ(db_.DBGetDomainCount(), 0);
  // Each engine in its own words.
  const std::string missing = GetParam().name == "sqlite" ? "no such table: domains"
                                                          : "relation \"domains\" does not exist";
  EXPECT_NE(db_.LastError().find(missing), std::string::npos) << db_.LastError();
  ASSERT_EQ(db_.DBCreateTables(nullptr), 1) << db_.LastError();
  EXPECT_EQ(db_.DBGetDomainCount(), 0);
  EXPECT_EQ(db_.LastError(), "");
  // A database left empty gets the tables when next connected to.
  ASSERT_EQ(db_.DBDropTables(nullptr), 1);
  db_.DBReloadConfig();
  AddDomain("again.example");
  EXPECT_EQ(db_.DBGetDomainCount(), 1);
  int stray = 0;
  EXPECT_EQ(db_.DBCreateTables(reinterpret_cast<TarvelinDbConnection*>(&stray)), 0);
  EXPECT_EQ(db_.LastError(), "the connection handle is not one this library gave out");
}

TEST_P(DbConnectionTest, WithoutAConnectionEveryCallSaysSo) {
  db_.DBDoneConnection();
  DbText current("unchanged");
  db_.DBGetConnection(current.out());
  EXPECT_EQ(current.str(), "");
  EXPECT_EQ(db_.DBGetDomainCount(), 0);
  EXPECT_EQ(db_.LastError(), "no connection set");
  EXPECT_EQ(db_.DBGetUsers(DbText("a.example").in(), nullptr, 0), -1);
  EXPECT_EQ(db_.LastError(), "no connection set");
  EXPECT_EQ(db_.DBAuthenticateUser(DbText("ann").in(), 0), nullptr);
  EXPECT_EQ(db_.LastError(), "no connection set");
}

// Texts that cannot be used: nothing is current afterwards (no call
// reaches a database the caller left), the reason is told, and the
// password never appears.
TEST(DbConnectionTexts, UnusableTextsAreRefusedWithTheReason) {
  TempDir dir;
  dir.Write("garbage.db", std::string(4096, 'g'));
  DbLibrary db;
  const struct {
    std::string text;
    std::string error_part;
  } cases[] = {
      {"driver=sqlite;database=" + dir.path() + "missing/a.db",
       "cannot open database " + dir.path() + "missing/a.db: unable to open database file"},
      {"driver=sqlite;database=" + dir.path() + "garbage.db", "file is not a database"},
      {"driver=sqlite;database=relative.db", "is not an absolute path"},
      {"driver=mysql;database=/x", "unknown driver 'mysql'"},
      {"justaname", "'justaname' is not a connection text"},
      {"", "is not a connection text"},
  };
  for (const auto& c : cases) {
    ASSERT_NE(db.DBSetConnection(DbText("driver=sqlite;database=" + dir.path() + "ok.db").in()),
              nullptr);
    EXPECT_EQ(db.DBSetConnection(DbText(c.text).in()), nullptr) << c.text;
    EXPECT_NE(db.LastError().find(c.error_part), std::string::npos) << db.LastError();
    EXPECT_EQ(db.DBCheckConnection(DbText(c.text).in()), 0) << c.text;
    EXPECT_EQ(db.DBGetDomainCount(), 0);
    EXPECT_EQ(db.LastError(), "no connection set") << c.text;
  }
  const std::string secret = "driver=postgresql;host=/nowhere;dbname=x;user=u;password=S3cret";
  EXPECT_EQ(db.DBSetConnection(DbText(secret).in()), nullptr);
  EXPECT_NE(db.LastError(), "");
  EXPECT_EQ(db.LastError().find("S3cret"), std::string::npos) << db.LastError();
  EXPECT_EQ(db.DBCheckConnection(DbText(secret).in()), 0);
  EXPECT_EQ(db.LastError().find("S3cret"), std::string::npos) << db.LastError();
  db.DBDoneConnection();
}

// A database whose tables a later version wrote is not touched.
TEST(DbConnectionTexts, RefusesTablesOfANewerVersion) {
  TempDir dir;
  const std::string path = dir.path() + "newer.db";
  DbLibrary db;
  ASSERT_NE(db.DBSetConnection(DbText("driver=sqlite;database=" + path).in()), nullptr);
  db.DBDoneConnection();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "UPDATE schema_version SET version = 2", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  EXPECT_EQ(db.DBSetConnection(DbText("driver=sqlite;database=" + path).in()), nullptr);
  EXPECT_EQ(db.LastError(), "the database's tables are of version 2, newer than this library's 1");
}

// Two processes add 500 accounts each to one domain at once: every account
// is there, and the positions are 0..999 without a gap or a double.
TEST_P(DbConnectionTest, TwoProcessesAddingToOneDomainNeverShareAPosition) {
  constexpr int kEach = 500;
  AddDomain("busy.example");
  db_.DBDoneConnection();  // no connection crosses the fork
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      if (db_.DBSetConnection(DbText(text_).in()) == nullptr) _exit(2);
      for (int i = 0; i < kEach; ++i) {
        const UserRecord record = MakeRecord(
            AccountFields().aliases("p" + std::to_string(child) + "n" + std::to_string(i)));
        int32_t position = -1;
        if (db_.DBSaveUsers(DbText("busy.example").in(), record.data(), &position) == 0) _exit(3);
      }
      db_.DBDoneConnection();
      _exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  ASSERT_NE(db_.DBSetConnection(DbText(text_).in()), nullptr) << db_.LastError();
  ASSERT_EQ(Count("busy.example"), 2 * kEach);
  std::set<std::string> aliases;
  for (const UserRecord& record : Scan("busy.example")) aliases.insert(AliasListOf(record));
  EXPECT_EQ(aliases.size(), 2u * kEach);
  for (int child = 0; child < 2; ++child) {
    for (int i = 0; i < kEach; i += 97) {
      const std::string alias = "p" + std::to_string(child) + "n" + std::to_string(i);
      const int32_t at = db_.DBGetUsersIndex(DbText("busy.example").in(), DbText(alias).in());
      EXPECT_GE(at, 0) << alias;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, DbConnectionTest, ::testing::ValuesIn(ConnectionFactories()),
                         FactoryName);

}  // namespace
}  // namespace tarvelin::testing
