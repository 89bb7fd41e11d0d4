// The log exports of db.so: the log table's creation and removal on a
// connection DBSetConnection gave, and one entry per DBDoLog.
#include "backend/connections.h"
#include "backend/log_tables.h"
#include "tarvelin/db_backend.h"

using tarvelin::Result;
using tarvelin::Status;
using namespace tarvelin::backend;

extern "C" {

uint8_t DBCreateLogTables(TarvelinDbConnection* connection) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionOf(reinterpret_cast<ConnectionHandle*>(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(CreateLogTables(**sql));
    return 1;
  });
}

uint8_t DBDropLogTables(TarvelinDbConnection* connection) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionOf(reinterpret_cast<ConnectionHandle*>(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(DropLogTables(**sql));
    return 1;
  });
}

void DBDoLog(const uint8_t* connection, int32_t kind, int32_t bits, const uint8_t* message,
             const uint8_t* time, const uint8_t* thread, const uint8_t* source,
             const uint8_t* tag) {
  GuardedVoid([&]() -> Status {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    return AppendLogEntry(**sql, {kind, bits, TextIn(message), TextIn(time), TextIn(thread),
                                  TextIn(source), TextIn(tag)});
  });
}

}  // extern "C"
