// The SQLite engine: a SqlConnection over one database file, shared with
// other processes. The file is opened in WAL mode (readers never wait for
// the writer), with a busy timeout so a process waits for another's write
// instead of failing at once, and with foreign keys enforced. A write
// transaction is BEGIN IMMEDIATE: it takes the write lock at its start, so
// two processes never both read a count and then append at it.
#pragma once

#include <memory>

#include "backend/connection_settings.h"
#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

// The connection to `settings.database` (created when missing), or a
// failure naming the file and SQLite's reason: a missing folder, a file
// that is not a database, a file the process may not write.
Result<std::unique_ptr<SqlConnection>> OpenSqlite(const ConnectionSettings& settings);

}  // namespace tarvelin::backend
