#include "backend/sql_calls.h"

#include <string>

namespace tarvelin::backend {

Result<SqlStatement*> Bound(SqlConnection& connection, std::string_view sql,
                            std::initializer_list<SqlValue> values) {
  auto statement = connection.Prepare(sql);
  if (!statement.ok()) return statement.status();
  int index = 1;
  for (const SqlValue& value : values) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) {
      (*statement)->BindInt(index++, *number);
    } else {
      (*statement)->BindBytes(index++, std::get<std::string_view>(value));
    }
  }
  return *statement;
}

Result<int64_t> Run(SqlConnection& connection, std::string_view sql,
                    std::initializer_list<SqlValue> values) {
  auto statement = Bound(connection, sql, values);
  if (!statement.ok()) return statement.status();
  for (;;) {
    auto row = (*statement)->Step();
    if (!row.ok()) return row.status();
    if (!*row) break;
  }
  const int64_t changed = (*statement)->ChangedRows();
  (*statement)->Reset();
  return changed;
}

Result<std::optional<int64_t>> FirstInt(SqlConnection& connection, std::string_view sql,
                                        std::initializer_list<SqlValue> values) {
  auto statement = Bound(connection, sql, values);
  if (!statement.ok()) return statement.status();
  auto row = (*statement)->Step();
  if (!row.ok()) return row.status();
  std::optional<int64_t> value;
  if (*row) value = (*statement)->ColumnInt(0);
  (*statement)->Reset();
  return value;
}

Result<std::optional<std::string>> FirstBytes(SqlConnection& connection, std::string_view sql,
                                              std::initializer_list<SqlValue> values) {
  auto statement = Bound(connection, sql, values);
  if (!statement.ok()) return statement.status();
  auto row = (*statement)->Step();
  if (!row.ok()) return row.status();
  std::optional<std::string> value;
  if (*row) value = std::string((*statement)->ColumnBytes(0));
  (*statement)->Reset();
  return value;
}

Status Transaction::Begin(bool write) {
  TARVELIN_RETURN_IF_ERROR(connection_.Begin(write));
  open_ = true;
  return Status::Ok();
}

Status Transaction::Commit() {
  open_ = false;
  return connection_.Commit();
}

Status BeginDomainWrite(Transaction& transaction, SqlConnection& connection, int64_t domain) {
  TARVELIN_RETURN_IF_ERROR(transaction.Begin(true));
  if (connection.dialect() != Dialect::kPostgres) return Status::Ok();
  // The key is a 64-bit FNV-1a hash of a text naming the domain's accounts
  // by ordinal: ordinals are never reused and survive a rename, and the
  // prefix keeps the key away from other users' small advisory keys.
  uint64_t key = 14695981039346656037ull;
  for (const char c : "tarvelin accounts " + std::to_string(domain)) {
    key = (key ^ static_cast<uint8_t>(c)) * 1099511628211ull;
  }
  return Run(connection, "SELECT pg_advisory_xact_lock(?)", {static_cast<int64_t>(key)}).status();
}

}  // namespace tarvelin::backend
