#include "backend/sqlite_connection.h"

#include <sqlite3.h>

#include <map>
#include <string>
#include <utility>

namespace tarvelin::backend {
namespace {

// How long a call waits for another process's write before it fails.
constexpr int kBusyTimeoutMs = 10000;

std::string SqliteMessage(sqlite3* db, int code) {
  return db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
}

class SqliteStatement final : public SqlStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt, std::string path)
      : db_(db), stmt_(stmt), path_(std::move(path)) {}
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void BindInt(int index, int64_t value) override {
    NewRun();
    sqlite3_bind_int64(stmt_, index, value);
  }
  void BindBytes(int index, std::string_view bytes) override {
    NewRun();
    // A null pointer would bind NULL; an empty value stays an empty blob.
    sqlite3_bind_blob64(stmt_, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                        SQLITE_TRANSIENT);
  }
  void BindNull(int index) override {
    NewRun();
    sqlite3_bind_null(stmt_, index);
  }

  Result<bool> Step() override {
    if (done_) return false;
    started_ = true;
    const int code = sqlite3_step(stmt_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) {
      changed_ = sqlite3_changes64(db_);
      done_ = true;
      // Ends the statement's read so the connection holds no old snapshot.
      sqlite3_reset(stmt_);
      return false;
    }
    const std::string message = SqliteMessage(db_, code);
    sqlite3_reset(stmt_);
    done_ = true;
    return Status::IOError("database " + path_ + ": " + message);
  }

  int64_t ColumnInt(int column) const override { return sqlite3_column_int64(stmt_, column); }
  std::string_view ColumnBytes(int column) const override {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) return {};
    return {static_cast<const char*>(data), static_cast<size_t>(size)};
  }
  bool ColumnIsNull(int column) const override {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
  }
  int64_t ChangedRows() const override { return changed_; }

  void Reset() override {
    sqlite3_reset(stmt_);
    started_ = false;
    done_ = false;
  }

  // Ready for a new use: no run, no bindings.
  void Clear() {
    Reset();
    sqlite3_clear_bindings(stmt_);
    changed_ = 0;
  }

 private:
  void NewRun() {
    if (started_) Reset();
  }

  sqlite3* db_;
  sqlite3_stmt* stmt_;
  std::string path_;
  bool started_ = false;
  bool done_ = false;
  int64_t changed_ = 0;
};

class SqliteConnection final : public SqlConnection {
 public:
  SqliteConnection(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  ~SqliteConnection() override {
    statements_.clear();
    sqlite3_close_v2(db_);
  }
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  Dialect dialect() const override { return Dialect::kSqlite; }

  Result<SqlStatement*> Prepare(std::string_view sql) override {
    const std::string key(sql);
    auto found = statements_.find(key);
    if (found != statements_.end()) {
      found->second->Clear();
      return static_cast<SqlStatement*>(found->second.get());
    }
    sqlite3_stmt* stmt = nullptr;
    const int code = sqlite3_prepare_v3(db_, key.data(), static_cast<int>(key.size()),
                                        SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (code != SQLITE_OK) {
      sqlite3_finalize(stmt);
      return Status::IOError("database " + path_ + ": " + SqliteMessage(db_, code));
    }
    auto statement = std::make_unique<SqliteStatement>(db_, stmt, path_);
    SqlStatement* raw = statement.get();
    statements_.emplace(key, std::move(statement));
    return raw;
  }

  Status Execute(std::string_view sql) override {
    char* error = nullptr;
    const int code = sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &error);
    if (code == SQLITE_OK) return Status::Ok();
    const std::string message = error != nullptr ? error : sqlite3_errstr(code);
    sqlite3_free(error);
    return Status::IOError("database " + path_ + ": " + message);
  }

  Status Begin(bool write) override {
    ResetStatements();
    return Execute(write ? "BEGIN IMMEDIATE" : "BEGIN");
  }
  Status Commit() override {
    ResetStatements();
    const Status status = Execute("COMMIT");
    if (!status.ok()) Rollback();
    return status;
  }
  void Rollback() override {
    ResetStatements();
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }

  bool Alive() override {
    // Reads the schema: fails for a file that was replaced by something
    // that is not a database or that can no longer be read.
    return Execute("SELECT count(*) FROM sqlite_master").ok();
  }

 private:
  // A statement left in the middle of its rows would keep an old snapshot
  // open across the transaction's start or end.
  void ResetStatements() {
    for (auto& [sql, statement] : statements_) statement->Reset();
  }

  sqlite3* db_;
  std::string path_;
  std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> statements_;
};

}  // namespace

Result<std::unique_ptr<SqlConnection>> OpenSqlite(const ConnectionSettings& settings) {
  const std::string& path = settings.database;
  if (path.empty() || path.front() != '/') {
    return Status::InvalidArgument("the SQLite database must be an absolute path, not '" + path +
                                   "'");
  }
  sqlite3* db = nullptr;
  const int code = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = SqliteMessage(db, code);
    sqlite3_close_v2(db);
    return Status::IOError("cannot open database " + path + ": " + message);
  }
  auto connection = std::make_unique<SqliteConnection>(db, path);
  if (sqlite3_db_readonly(db, "main") == 1) {
    return Status::Refused("database " + path + " is read-only for this process");
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db, 1);
  // The first statements read the file: a file that is not a database
  // fails here, with SQLite's reason.
  TARVELIN_RETURN_IF_ERROR(connection->Execute("PRAGMA foreign_keys = ON"));
  auto mode = connection->Prepare("PRAGMA journal_mode = WAL");
  if (!mode.ok()) return mode.status();
  auto row = (*mode)->Step();
  if (!row.ok()) return row.status();
  const std::string journal = *row ? std::string((*mode)->ColumnBytes(0)) : std::string();
  (*mode)->Reset();
  if (journal != "wal") {
    return Status::IOError("database " + path + ": cannot switch to WAL mode (journal mode is '" +
                           journal + "')");
  }
  // In WAL mode a commit is safe from a crash of any process without a
  // sync to disk each time; a power cut may cost the last commits, never
  // the database.
  TARVELIN_RETURN_IF_ERROR(connection->Execute("PRAGMA synchronous = NORMAL"));
  return std::unique_ptr<SqlConnection>(std::move(connection));
}

}  // namespace tarvelin::backend
