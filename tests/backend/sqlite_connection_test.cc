#include "backend/sqlite_connection.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/temp_dir.h"

namespace tarvelin::backend {
namespace {

ConnectionSettings SqliteAt(const std::string& path) {
  ConnectionSettings settings;
  settings.driver = Driver::kSqlite;
  settings.database = path;
  return settings;
}

std::unique_ptr<SqlConnection> OpenOrDie(const std::string& path) {
  auto connection = OpenSqlite(SqliteAt(path));
  EXPECT_TRUE(connection.ok()) << connection.status().ToString();
  return connection.ok() ? std::move(*connection) : nullptr;
}

std::string OneText(SqlConnection& connection, std::string_view sql) {
  auto statement = connection.Prepare(sql);
  if (!statement.ok()) return statement.status().ToString();
  auto row = (*statement)->Step();
  if (!row.ok() || !*row) return "no row";
  std::string text((*statement)->ColumnBytes(0));
  (*statement)->Reset();
  return text;
}

TEST(SqliteConnection, OpensInWalModeWithForeignKeys) {
  testing::TempDir dir;
  auto connection = OpenOrDie(dir.path() + "a.db");
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->dialect(), Dialect::kSqlite);
  EXPECT_EQ(OneText(*connection, "PRAGMA journal_mode"), "wal");
  EXPECT_EQ(OneText(*connection, "PRAGMA foreign_keys"), "1");
  EXPECT_TRUE(connection->Alive());
}

// Files it cannot use are refused with the path and the reason.
TEST(SqliteConnection, RefusesUnusableFilesWithTheReason) {
  testing::TempDir dir;
  dir.Write("garbage.db", std::string(4096, 'x'));
  const struct {
    std::string path;
    std::string message_part;
  } cases[] = {
      {dir.path() + "missing/folder/a.db", "unable to open database file"},
      {dir.path() + "garbage.db", "file is not a database"},
      {"relative.db", "absolute path"},
  };
  for (const auto& c : cases) {
    auto connection = OpenSqlite(SqliteAt(c.path));
    ASSERT_FALSE(connection.ok()) << c.path;
    EXPECT_NE(connection.status().message().find(c.message_part), std::string::npos)
        << connection.status().message();
    if (c.path.front() == '/') {
      EXPECT_NE(connection.status().message().find(c.path), std::string::npos)
          << connection.status().message();
    }
  }
}

// A file the process may not write is refused when opened, not at the first
// write. Root may write anything, so the open runs in a child that is
// "nobody" then.
TEST(SqliteConnection, RefusesReadOnlyFile) {
  testing::TempDir dir;
  const std::string path = dir.path() + "ro.db";
  { ASSERT_NE(OpenOrDie(path), nullptr); }
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipe_ends[0]);
    if (geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(2);
    }
    auto connection = OpenSqlite(SqliteAt(path));
    const std::string message = connection.ok() ? "opened" : connection.status().message();
    const ssize_t written = write(pipe_ends[1], message.data(), message.size());
    _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 3);
  }
  close(pipe_ends[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(message, "database " + path + " is read-only for this process");
}

// Values travel as bound bytes: SQL characters, NUL bytes and bytes that
// are not UTF-8 come back as they went in.
TEST(SqliteConnection, BoundValuesComeBackByteForByte) {
  testing::TempDir dir;
  auto connection = OpenOrDie(dir.path() + "v.db");
  ASSERT_NE(connection, nullptr);
  ASSERT_TRUE(connection->Execute("CREATE TABLE t (k INTEGER, v BLOB)").ok());
  const std::string values[] = {"o'brien",
                                "a;DROP TABLE t;--",
                                "back\\slash",
                                std::string("nul\0byte", 8),
                                "\xE4\xF6\xFC latin-1",
                                "",
                                "\"quoted\""};
  int64_t key = 0;
  for (const std::string& value : values) {
    auto insert = connection->Prepare("INSERT INTO t (k, v) VALUES (?, ?)");
    ASSERT_TRUE(insert.ok());
    (*insert)->BindInt(1, key++);
    (*insert)->BindBytes(2, value);
    ASSERT_TRUE((*insert)->Step().ok());
    EXPECT_EQ((*insert)->ChangedRows(), 1);
  }
  key = 0;
  for (const std::string& value : values) {
    auto select = connection->Prepare("SELECT v FROM t WHERE k = ? AND v = ?");
    ASSERT_TRUE(select.ok());
    (*select)->BindInt(1, key++);
    (*select)->BindBytes(2, value);
    auto row = (*select)->Step();
    ASSERT_TRUE(row.ok() && *row) << "value " << key - 1;
    EXPECT_FALSE((*select)->ColumnIsNull(0));
    EXPECT_EQ((*select)->ColumnBytes(0), value);
  }
  EXPECT_EQ(OneText(*connection, "SELECT count(*) FROM t"), "7");
}

// The cache hands back the same statement, reset and unbound; binding
// after a step starts a new run.
TEST(SqliteConnection, CachedStatementsStartAfresh) {
  testing::TempDir dir;
  auto connection = OpenOrDie(dir.path() + "c.db");
  ASSERT_NE(connection, nullptr);
  ASSERT_TRUE(
      connection->Execute("CREATE TABLE t (k INTEGER); INSERT INTO t VALUES (1), (2)").ok());
  auto first = connection->Prepare("SELECT k FROM t WHERE k >= ? ORDER BY k");
  ASSERT_TRUE(first.ok());
  (*first)->BindInt(1, 1);
  ASSERT_TRUE(*(*first)->Step());
  EXPECT_EQ((*first)->ColumnInt(0), 1);
  (*first)->BindInt(1, 2);
  ASSERT_TRUE(*(*first)->Step());
  EXPECT_EQ((*first)->ColumnInt(0), 2);
  auto again = connection->Prepare("SELECT k FROM t WHERE k >= ? ORDER BY k");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(*again, *first);
  // Unbound: NULL compares as nothing.
  EXPECT_FALSE(*(*again)->Step());
  auto bad = connection->Prepare("SELECT k FROM nowhere");
  ASSERT_FALSE(bad.ok());
  EXPECT_NE(bad.status().message().find("no such table: nowhere"), std::string::npos)
      << bad.status().message();
}

// A write transaction takes the write lock at its start: a second
// connection's write waits (here: times out at once) instead of both
// writing from the same snapshot; a rolled back write leaves nothing.
TEST(SqliteConnection, WriteTransactionsExcludeEachOther) {
  testing::TempDir dir;
  const std::string path = dir.path() + "w.db";
  auto one = OpenOrDie(path);
  auto two = OpenOrDie(path);
  ASSERT_TRUE(one && two);
  ASSERT_TRUE(one->Execute("CREATE TABLE t (k INTEGER)").ok());
  ASSERT_TRUE(one->Begin(true).ok());
  ASSERT_TRUE(one->Execute("INSERT INTO t VALUES (1)").ok());
  ASSERT_TRUE(two->Execute("PRAGMA busy_timeout = 0").ok());
  const Status blocked = two->Begin(true);
  EXPECT_FALSE(blocked.ok());
  EXPECT_NE(blocked.message().find("locked"), std::string::npos) << blocked.message();
  // Readers still read the last committed state.
  EXPECT_EQ(OneText(*two, "SELECT count(*) FROM t"), "0");
  one->Rollback();
  EXPECT_EQ(OneText(*one, "SELECT count(*) FROM t"), "0");
  ASSERT_TRUE(two->Begin(true).ok());
  ASSERT_TRUE(two->Execute("INSERT INTO t VALUES (2)").ok());
  ASSERT_TRUE(two->Commit().ok());
  EXPECT_EQ(OneText(*one, "SELECT count(*) FROM t"), "1");
}

}  // namespace
}  // namespace tarvelin::backend
