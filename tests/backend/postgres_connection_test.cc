#include "backend/postgres_connection.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/postgres_server.h"
#include "support/temp_dir.h"

namespace tarvelin::backend {
namespace {

using ::tarvelin::testing::PostgresServer;

class PostgresConnectionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new PostgresServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(server_->ok()) << server_->why();
    auto connection = Open(server_->BackendConnectionText());
    ASSERT_TRUE(connection.ok()) << connection.status().ToString();
    db_ = std::move(*connection);
  }

  static Result<std::unique_ptr<SqlConnection>> Open(const std::string& text) {
    auto settings = ParseConnectionText(text);
    if (!settings.ok()) return settings.status();
    return OpenPostgres(*settings);
  }

  // The first column of the one row `sql` gives, as bytes.
  std::string One(const std::string& sql) {
    auto statement = db_->Prepare(sql);
    EXPECT_TRUE(statement.ok()) << statement.status().ToString();
    if (!statement.ok()) return "";
    auto row = (*statement)->Step();
    EXPECT_TRUE(row.ok() && *row) << row.status().ToString();
    return std::string((*statement)->ColumnBytes(0));
  }

  void Run(const std::string& sql) {
    Status status = db_->Execute(sql);
    ASSERT_TRUE(status.ok()) << status.ToString();
  }

  static PostgresServer* server_;
  std::unique_ptr<SqlConnection> db_;
};

PostgresServer* PostgresConnectionTest::server_ = nullptr;

TEST_F(PostgresConnectionTest, BytesAndIntegersComeBackAsBound) {
  Run("DROP TABLE IF EXISTS values_kept; "
      "CREATE TABLE values_kept (id BIGINT PRIMARY KEY, small INTEGER, data BYTEA)");
  const struct {
    int64_t id;
    int64_t small;
    std::string data;
  } cases[] = {
      {1, 0, std::string("nul\0inside", 10)},
      {2, -2147483647 - 1, "\x80\xff\xe9 not UTF-8"},
      {3, 2147483647, "it's \"quoted\"; DROP TABLE values_kept; --"},
      {4, -1, "back\\slash \\x41 $1 ?"},
      {int64_t{1} << 62, 42, ""},
      {-(int64_t{1} << 62), 7, std::string(2848, '\x01')},
  };
  auto insert = db_->Prepare("INSERT INTO values_kept (id, small, data) VALUES (?, ?, ?)");
  ASSERT_TRUE(insert.ok()) << insert.status().ToString();
  for (const auto& c : cases) {
    (*insert)->BindInt(1, c.id);
    (*insert)->BindInt(2, c.small);
    (*insert)->BindBytes(3, c.data);
    auto step = (*insert)->Step();
    ASSERT_TRUE(step.ok()) << step.status().ToString();
    EXPECT_FALSE(*step);
    EXPECT_EQ((*insert)->ChangedRows(), 1);
    (*insert)->Reset();
  }
  auto select = db_->Prepare("SELECT id, small, data, length(data) FROM values_kept WHERE id = ?");
  ASSERT_TRUE(select.ok()) << select.status().ToString();
  for (const auto& c : cases) {
    (*select)->BindInt(1, c.id);
    auto row = (*select)->Step();
    ASSERT_TRUE(row.ok() && *row) << c.id;
    EXPECT_EQ((*select)->ColumnInt(0), c.id);
    EXPECT_EQ((*select)->ColumnInt(1), c.small);
    EXPECT_EQ((*select)->ColumnBytes(2), c.data) << c.id;
    EXPECT_EQ((*select)->ColumnInt(3), static_cast<int64_t>(c.data.size()));
    EXPECT_FALSE(*(*select)->Step());
  }
}

TEST_F(PostgresConnectionTest, ReadsEveryKindOfNumberColumn) {
  auto statement = db_->Prepare(
      "SELECT ?::smallint, ?::integer, ?::bigint, true, false, count(*), "
      "sum(x), 12345678901234::numeric, -20001::numeric, '77'::text "
      "FROM (VALUES (1::bigint), (2)) AS t(x)");
  ASSERT_TRUE(statement.ok()) << statement.status().ToString();
  (*statement)->BindInt(1, -300);
  (*statement)->BindInt(2, 70000);
  (*statement)->BindInt(3, int64_t{1} << 40);
  auto row = (*statement)->Step();
  ASSERT_TRUE(row.ok() && *row) << row.status().ToString();
  const int64_t expected[] = {-300, 70000, int64_t{1} << 40, 1,      0,
                              2,    3,     12345678901234,   -20001, 77};
  for (int column = 0; column < 10; ++column) {
    EXPECT_EQ((*statement)->ColumnInt(column), expected[column]) << "column " << column;
  }
  EXPECT_EQ((*statement)->ColumnBytes(5), "2");
}

TEST_F(PostgresConnectionTest, NullsReadAsNullZeroAndEmpty) {
  auto statement = db_->Prepare("SELECT ?::bytea, ?::bigint, 5, NULL::integer");
  ASSERT_TRUE(statement.ok()) << statement.status().ToString();
  (*statement)->BindNull(1);
  (*statement)->BindNull(2);
  ASSERT_TRUE(*(*statement)->Step());
  EXPECT_TRUE((*statement)->ColumnIsNull(0));
  EXPECT_TRUE((*statement)->ColumnIsNull(1));
  EXPECT_FALSE((*statement)->ColumnIsNull(2));
  EXPECT_TRUE((*statement)->ColumnIsNull(3));
  EXPECT_EQ((*statement)->ColumnBytes(0), "");
  EXPECT_EQ((*statement)->ColumnInt(1), 0);
  EXPECT_EQ((*statement)->ColumnInt(3), 0);
  // Columns past the row's end read as NULL rather than crash.
  EXPECT_TRUE((*statement)->ColumnIsNull(9));
  EXPECT_EQ((*statement)->ColumnBytes(-1), "");
}

TEST_F(PostgresConnectionTest, QuestionMarksInLiteralsAndCommentsStayText) {
  auto statement = db_->Prepare(
      "SELECT '?''?' || ? || E'\\'?' /* ? */ , \"?col\" FROM (SELECT 1 AS \"?col\") t -- ?\n"
      "WHERE ? = 1");
  ASSERT_TRUE(statement.ok()) << statement.status().ToString();
  (*statement)->BindBytes(1, "!");
  (*statement)->BindInt(2, 1);
  auto row = (*statement)->Step();
  ASSERT_TRUE(row.ok() && *row) << row.status().ToString();
  EXPECT_EQ((*statement)->ColumnBytes(0), "?'?!'?");
  EXPECT_EQ((*statement)->ColumnInt(1), 1);
}

TEST_F(PostgresConnectionTest, ManyRowsAndChangedRows) {
  Run("DROP TABLE IF EXISTS many; CREATE TABLE many (n BIGINT, record BYTEA)");
  auto insert =
      db_->Prepare("INSERT INTO many SELECT n, ?::bytea FROM generate_series(1, ?) AS g(n)");
  ASSERT_TRUE(insert.ok()) << insert.status().ToString();
  (*insert)->BindBytes(1, std::string(2848, 'r'));
  (*insert)->BindInt(2, 5000);
  ASSERT_TRUE((*insert)->Step().ok());
  EXPECT_EQ((*insert)->ChangedRows(), 5000);

  auto walk = db_->Prepare("SELECT n, record FROM many ORDER BY n");
  ASSERT_TRUE(walk.ok());
  int64_t rows = 0;
  for (auto row = (*walk)->Step(); row.ok() && *row; row = (*walk)->Step()) {
    ++rows;
    ASSERT_EQ((*walk)->ColumnInt(0), rows);
    ASSERT_EQ((*walk)->ColumnBytes(1).size(), 2848u);
  }
  EXPECT_EQ(rows, 5000);
  EXPECT_EQ((*walk)->ChangedRows(), 0);

  auto update = db_->Prepare("UPDATE many SET n = n + 1 WHERE n > ?");
  (*update)->BindInt(1, 4990);
  ASSERT_TRUE((*update)->Step().ok());
  EXPECT_EQ((*update)->ChangedRows(), 10);
  auto remove = db_->Prepare("DELETE FROM many WHERE n > ?");
  (*remove)->BindInt(1, 100000);
  ASSERT_TRUE((*remove)->Step().ok());
  EXPECT_EQ((*remove)->ChangedRows(), 0);
}

TEST_F(PostgresConnectionTest, StatementsStayOpenSideBySide) {
  // The backend reads one statement's rows while it runs others, as SQLite
  // allows.
  Run("DROP TABLE IF EXISTS pairs; CREATE TABLE pairs (n BIGINT);"
      "INSERT INTO pairs VALUES (1), (2), (3)");
  auto outer = db_->Prepare("SELECT n FROM pairs ORDER BY n");
  ASSERT_TRUE(outer.ok());
  int64_t total = 0;
  for (auto row = (*outer)->Step(); row.ok() && *row; row = (*outer)->Step()) {
    auto inner = db_->Prepare("SELECT n * 10 FROM pairs WHERE n = ?");
    ASSERT_TRUE(inner.ok());
    (*inner)->BindInt(1, (*outer)->ColumnInt(0));
    ASSERT_TRUE(*(*inner)->Step());
    total += (*inner)->ColumnInt(0);
  }
  EXPECT_EQ(total, 60);
}

TEST_F(PostgresConnectionTest, PreparesEachTextOnceAndHandsItBackUnbound) {
  const std::string sql = "SELECT ?::bigint IS NULL";
  auto first = db_->Prepare(sql);
  ASSERT_TRUE(first.ok());
  (*first)->BindInt(1, 3);
  ASSERT_TRUE(*(*first)->Step());
  EXPECT_EQ((*first)->ColumnInt(0), 0);
  auto again = db_->Prepare(sql);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(*again, *first);
  ASSERT_TRUE(*(*again)->Step());
  EXPECT_EQ((*again)->ColumnInt(0), 1) << "the binding of the last use was kept";
  EXPECT_EQ(One("SELECT count(*) FROM pg_prepared_statements WHERE statement = "
                "'SELECT $1::bigint IS NULL'"),
            "1");
}

TEST_F(PostgresConnectionTest, RebindingAfterStepRunsAgain) {
  auto statement = db_->Prepare("SELECT ?::bigint * 2");
  ASSERT_TRUE(statement.ok());
  (*statement)->BindInt(1, 2);
  ASSERT_TRUE(*(*statement)->Step());
  EXPECT_EQ((*statement)->ColumnInt(0), 4);
  (*statement)->BindInt(1, 5);
  ASSERT_TRUE(*(*statement)->Step());
  EXPECT_EQ((*statement)->ColumnInt(0), 10);
}

TEST_F(PostgresConnectionTest, BadStatementsSayWhy) {
  auto missing = db_->Prepare("SELECT x FROM no_such_table");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.status().message().find("relation \"no_such_table\" does not exist"),
            std::string::npos)
      << missing.status().message();

  Run("DROP TABLE IF EXISTS keyed; CREATE TABLE keyed (k BIGINT PRIMARY KEY)");
  auto insert = db_->Prepare("INSERT INTO keyed VALUES (?)");
  (*insert)->BindInt(1, 1);
  ASSERT_TRUE((*insert)->Step().ok());
  (*insert)->BindInt(1, 1);
  auto twice = (*insert)->Step();
  ASSERT_FALSE(twice.ok());
  EXPECT_TRUE(twice.status().Is(StatusCode::kAlreadyExists)) << twice.status().ToString();

  auto beyond = db_->Prepare("SELECT ?::bigint");
  (*beyond)->BindInt(2, 1);
  auto step = (*beyond)->Step();
  ASSERT_FALSE(step.ok());
  EXPECT_NE(step.status().message().find("parameter 2 of a statement with 1"), std::string::npos)
      << step.status().message();
}

TEST_F(PostgresConnectionTest, RollbackLeavesNothingAndCommitKeeps) {
  Run("DROP TABLE IF EXISTS journal; CREATE TABLE journal (n BIGINT PRIMARY KEY)");
  auto insert = db_->Prepare("INSERT INTO journal VALUES (?)");
  ASSERT_TRUE(insert.ok());

  ASSERT_TRUE(db_->Begin(true).ok());
  for (int n = 1; n <= 3; ++n) {
    (*insert)->BindInt(1, n);
    ASSERT_TRUE((*insert)->Step().ok());
  }
  db_->Rollback();
  EXPECT_EQ(One("SELECT count(*) FROM journal"), "0");

  ASSERT_TRUE(db_->Begin(false).ok());
  (*insert)->BindInt(1, 1);
  ASSERT_TRUE((*insert)->Step().ok());
  EXPECT_FALSE(db_->Begin(true).ok()) << "a transaction inside a transaction";
  ASSERT_TRUE(db_->Commit().ok());
  EXPECT_EQ(One("SELECT count(*) FROM journal"), "1");

  // A failed statement spoils the transaction: its commit must not pass
  // for one that kept the work.
  ASSERT_TRUE(db_->Begin(true).ok());
  (*insert)->BindInt(1, 2);
  ASSERT_TRUE((*insert)->Step().ok());
  (*insert)->BindInt(1, 1);
  EXPECT_FALSE((*insert)->Step().ok());
  Status commit = db_->Commit();
  EXPECT_FALSE(commit.ok());
  EXPECT_NE(commit.message().find("rolled back"), std::string::npos) << commit.ToString();
  EXPECT_EQ(One("SELECT count(*) FROM journal"), "1");
}

TEST_F(PostgresConnectionTest, ATerminatedBackendFailsOneCallThenReconnects) {
  auto pid = One("SELECT pg_backend_pid()");
  auto statement = db_->Prepare("SELECT ?::bigint + 1");
  ASSERT_TRUE(statement.ok());

  auto killer = Open(server_->BackendConnectionText());
  ASSERT_TRUE(killer.ok());
  auto terminate = (*killer)->Prepare("SELECT pg_terminate_backend(?::integer, 5000)");
  (*terminate)->BindInt(1, std::stoll(pid));
  auto terminated = (*terminate)->Step();
  ASSERT_TRUE(terminated.ok() && *terminated) << terminated.status().ToString();
  ASSERT_EQ((*terminate)->ColumnInt(0), 1);

  (*statement)->BindInt(1, 1);
  auto broken = (*statement)->Step();
  ASSERT_FALSE(broken.ok());
  EXPECT_TRUE(broken.status().Is(StatusCode::kUnavailable)) << broken.status().ToString();
  EXPECT_NE(broken.status().message().find("connection to the server broke"), std::string::npos)
      << broken.status().message();

  // The same statement, prepared before the break, runs on the new session.
  auto again = db_->Prepare("SELECT ?::bigint + 1");
  ASSERT_TRUE(again.ok()) << again.status().ToString();
  (*again)->BindInt(1, 41);
  auto row = (*again)->Step();
  ASSERT_TRUE(row.ok() && *row) << row.status().ToString();
  EXPECT_EQ((*again)->ColumnInt(0), 42);
  EXPECT_NE(One("SELECT pg_backend_pid()"), pid);
}

TEST_F(PostgresConnectionTest, AliveReconnectsAfterTheServerRestarted) {
  auto statement = db_->Prepare("SELECT 7");
  ASSERT_TRUE(statement.ok());
  auto idle = Open(server_->BackendConnectionText());
  auto other = Open(server_->BackendConnectionText());
  ASSERT_TRUE(idle.ok() && other.ok());
  ASSERT_TRUE(server_->Restart());

  // What changes nothing on the server is simply tried again on a new
  // connection: the first transaction and the first new statement after
  // the restart work.
  Status begun = (*idle)->Begin(true);
  ASSERT_TRUE(begun.ok()) << begun.ToString();
  (*idle)->Rollback();
  auto fresh = (*other)->Prepare("SELECT 8");
  ASSERT_TRUE(fresh.ok()) << fresh.status().ToString();
  ASSERT_TRUE(*(*fresh)->Step());
  EXPECT_EQ((*fresh)->ColumnInt(0), 8);

  EXPECT_TRUE(db_->Alive());
  ASSERT_TRUE(*(*statement)->Step()) << "the statement is prepared again after the reset";
  EXPECT_EQ((*statement)->ColumnInt(0), 7);
  EXPECT_TRUE(db_->Alive());
}

TEST_F(PostgresConnectionTest, ABreakInsideATransactionWaitsForTheRollback) {
  Run("DROP TABLE IF EXISTS held; CREATE TABLE held (n BIGINT)");
  ASSERT_TRUE(db_->Begin(true).ok());
  auto insert = db_->Prepare("INSERT INTO held VALUES (1)");
  ASSERT_TRUE((*insert)->Step().ok());
  ASSERT_TRUE(server_->Restart());
  (*insert)->Reset();
  EXPECT_FALSE((*insert)->Step().ok());
  // No silent reconnect: the rest of the transaction would run without it.
  auto next = (*insert)->Step();
  ASSERT_FALSE(next.ok());
  EXPECT_NE(next.status().message().find("inside a transaction"), std::string::npos)
      << next.status().message();
  EXPECT_FALSE(db_->Commit().ok());
  db_->Rollback();
  EXPECT_EQ(One("SELECT count(*) FROM held"), "0");
}

TEST_F(PostgresConnectionTest, RefusedLoginsSayWhyWithoutThePassword) {
  std::string why;
  ASSERT_TRUE(
      server_->RunSql("DROP ROLE IF EXISTS mailer; "
                      "CREATE ROLE mailer LOGIN PASSWORD 'Right-Horse-77';",
                      &why))
      << why;
  ASSERT_TRUE(server_->PrependHbaLines("local all mailer scram-sha-256"));
  const std::string base = "driver=postgresql;host=" + server_->socket_folder() +
                           ";port=" + std::to_string(server_->port());
  testing::TempDir empty;
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {base + ";user=mailer;dbname=postgres;password=Wrong-Horse-77",
       "password authentication failed for user \"mailer\""},
      {base + ";user=mailer;dbname=postgres", "no password supplied"},
      {base + ";user=" + server_->user() + ";dbname=no_such_db", "\"no_such_db\" does not exist"},
      {"driver=postgresql;host=" + empty.path() +
           ";port=5432;user=x;dbname=y;password=Wrong-Horse-77",
       "No such file or directory"},
  };
  for (const auto& c : cases) {
    auto connection = Open(c.text);
    ASSERT_FALSE(connection.ok()) << c.text;
    const std::string& message = connection.status().message();
    EXPECT_TRUE(connection.status().Is(StatusCode::kUnavailable)) << message;
    EXPECT_EQ(message.rfind("cannot connect to PostgreSQL (driver=postgresql;host=", 0), 0u)
        << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    EXPECT_EQ(message.find("Wrong-Horse"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
  auto right = Open(base + ";user=mailer;dbname=postgres;password=Right-Horse-77");
  ASSERT_TRUE(right.ok()) << right.status().ToString();
  EXPECT_TRUE((*right)->Alive());
}

TEST_F(PostgresConnectionTest, AUriConnectsAndKeepsItsPasswordOut) {
  auto settings =
      ParseConnectionText("postgresql://" + server_->user() +
                          ":Sec-Ret-99@/postgres?host=" + server_->socket_folder() + "&port=5432");
  ASSERT_TRUE(settings.ok());
  auto connection = OpenPostgres(*settings);
  ASSERT_TRUE(connection.ok()) << connection.status().ToString();

  auto bad =
      ParseConnectionText("postgresql://u:Sec-Ret-99@/postgres?host=" + server_->socket_folder() +
                          "&port=5432&nonsense=1");
  ASSERT_TRUE(bad.ok());
  auto refused = OpenPostgres(*bad);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.status().message().find("Sec-Ret"), std::string::npos)
      << refused.status().message();
}

}  // namespace
}  // namespace tarvelin::backend
