// SqlConnection: one connection to a database engine, the one interface the
// backend's functions are written against. Two engines implement it:
// SQLite (the embedded default) and PostgreSQL (libpq, for installations
// whose mail servers share one store).
//
// SQL is written once, with "?" placeholders numbered from 1 in order of
// appearance; an engine rewrites them as it needs. Values are bound, never
// spliced into SQL text. Values are 64-bit integers or byte strings (texts
// are stored as bytes: records hold single-byte texts that need not be valid
// UTF-8). Where the engines' SQL differs (table definitions, upserts),
// callers ask dialect().
//
// A connection is used by one thread at a time; the backend serialises its
// calls. Messages of failures name what failed and never hold the password
// of the connection text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin::backend {

enum class Dialect { kSqlite, kPostgres };

// A prepared statement, owned by its connection and valid while it lives.
class SqlStatement {
 public:
  virtual ~SqlStatement() = default;

  // Placeholders are numbered from 1. Binding after Step() starts a new run.
  virtual void BindInt(int index, int64_t value) = 0;
  virtual void BindBytes(int index, std::string_view bytes) = 0;
  virtual void BindNull(int index) = 0;

  // Runs the statement on the first call, then moves to the next row: true
  // while a row is there, false after the last one (or for a statement
  // without rows).
  virtual Result<bool> Step() = 0;

  // Columns of the current row, numbered from 0. A NULL reads as 0 or "".
  virtual int64_t ColumnInt(int column) const = 0;
  // Valid until the next Step() or Reset().
  virtual std::string_view ColumnBytes(int column) const = 0;
  virtual bool ColumnIsNull(int column) const = 0;

  // Rows changed by the last run of an INSERT, UPDATE or DELETE.
  virtual int64_t ChangedRows() const = 0;

  // Ends the run; the bindings are kept for the next one.
  virtual void Reset() = 0;
};

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;

  virtual Dialect dialect() const = 0;

  // The statement for `sql`, prepared once per connection and reused (reset
  // and unbound) on later calls with the same text.
  virtual Result<SqlStatement*> Prepare(std::string_view sql) = 0;
  // Runs SQL without parameters or rows (table definitions); several
  // statements separated by ";" are allowed.
  virtual Status Execute(std::string_view sql) = 0;

  // A transaction: `write` takes the write lock at once where the engine
  // has one (SQLite's BEGIN IMMEDIATE). Rollback never fails.
  virtual Status Begin(bool write) = 0;
  virtual Status Commit() = 0;
  virtual void Rollback() = 0;

  // Whether the connection still works; an engine that lost its server
  // tries once to connect again.
  virtual bool Alive() = 0;
};

}  // namespace tarvelin::backend
