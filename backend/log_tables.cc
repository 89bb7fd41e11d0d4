#include "backend/log_tables.h"

namespace tarvelin::backend {
namespace {

constexpr int32_t kLastLogKind = 15;

constexpr const char* kCreateSqlite =
    "CREATE TABLE IF NOT EXISTS log_entries ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " kind INTEGER NOT NULL, bits INTEGER NOT NULL, logged_at BLOB NOT NULL,"
    " thread BLOB NOT NULL, source BLOB NOT NULL, tag BLOB NOT NULL, message BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS log_entries_logged_at ON log_entries (logged_at)";

constexpr const char* kCreatePostgres =
    "CREATE TABLE IF NOT EXISTS log_entries ("
    " id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
    " kind INTEGER NOT NULL, bits INTEGER NOT NULL, logged_at BYTEA NOT NULL,"
    " thread BYTEA NOT NULL, source BYTEA NOT NULL, tag BYTEA NOT NULL, message BYTEA NOT NULL);"
    "CREATE INDEX IF NOT EXISTS log_entries_logged_at ON log_entries (logged_at)";

Status Insert(SqlConnection& connection, const LogEntry& entry) {
  auto statement = connection.Prepare(
      "INSERT INTO log_entries (kind, bits, logged_at, thread, source, tag, message)"
      " VALUES (?, ?, ?, ?, ?, ?, ?)");
  if (!statement.ok()) return statement.status();
  SqlStatement& insert = **statement;
  insert.BindInt(1, entry.kind);
  insert.BindInt(2, entry.bits);
  insert.BindBytes(3, entry.time);
  insert.BindBytes(4, entry.thread);
  insert.BindBytes(5, entry.source);
  insert.BindBytes(6, entry.tag);
  insert.BindBytes(7, entry.message);
  auto done = insert.Step();
  insert.Reset();
  return done.ok() ? Status::Ok() : done.status();
}

}  // namespace

Status CreateLogTables(SqlConnection& connection) {
  return connection.Execute(connection.dialect() == Dialect::kPostgres ? kCreatePostgres
                                                                       : kCreateSqlite);
}

Status DropLogTables(SqlConnection& connection) {
  return connection.Execute("DROP TABLE IF EXISTS log_entries");
}

Status AppendLogEntry(SqlConnection& connection, const LogEntry& entry) {
  if (entry.kind < 0 || entry.kind > kLastLogKind) {
    return Status::InvalidArgument("log kind " + std::to_string(entry.kind) +
                                   " is not one of 0 to " + std::to_string(kLastLogKind));
  }
  // The table is made on first use: any process may log before anyone ran
  // DBCreateLogTables. Only a failed insert pays for the check.
  Status inserted = Insert(connection, entry);
  if (inserted.ok()) return inserted;
  if (!CreateLogTables(connection).ok()) return inserted;
  return Insert(connection, entry);
}

}  // namespace tarvelin::backend
