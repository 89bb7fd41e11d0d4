// Short forms over SqlConnection for the backend's functions: a statement
// prepared and bound in one call, the first row's value, a run's changed
// rows, and a transaction that rolls back unless committed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

// One bound value: an integer or bytes.
using SqlValue = std::variant<int64_t, std::string_view>;

// The cached statement for `sql` with `values` bound to ?1, ?2, ...
Result<SqlStatement*> Bound(SqlConnection& connection, std::string_view sql,
                            std::initializer_list<SqlValue> values);

// Runs a statement without rows; the rows it changed.
Result<int64_t> Run(SqlConnection& connection, std::string_view sql,
                    std::initializer_list<SqlValue> values);

// The first column of the first row, or nullopt when there is no row.
Result<std::optional<int64_t>> FirstInt(SqlConnection& connection, std::string_view sql,
                                        std::initializer_list<SqlValue> values);
Result<std::optional<std::string>> FirstBytes(SqlConnection& connection, std::string_view sql,
                                              std::initializer_list<SqlValue> values);

// A transaction for the life of the object: rolled back when it ends
// without Commit (a failed step returns early and leaves nothing behind).
class Transaction {
 public:
  explicit Transaction(SqlConnection& connection) : connection_(connection) {}
  ~Transaction() {
    if (open_) connection_.Rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // A write transaction takes the engine's write lock at once.
  Status Begin(bool write);
  Status Commit();

 private:
  SqlConnection& connection_;
  bool open_ = false;
};

// A write transaction that also holds the lock of one domain's accounts
// (the domain's ordinal), so two processes adding to the domain at once
// never take the same position. SQLite's write lock covers the whole file;
// PostgreSQL takes a transaction-scoped advisory lock on the domain.
Status BeginDomainWrite(Transaction& transaction, SqlConnection& connection, int64_t domain);

}  // namespace tarvelin::backend
