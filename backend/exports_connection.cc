// The connection exports of db.so and its tables' creation and removal.
#include "backend/connections.h"
#include "backend/schema_tables.h"
#include "tarvelin/db_backend.h"

using tarvelin::Result;
using tarvelin::Status;
using namespace tarvelin::backend;

extern "C" {

TarvelinDbConnection* DBSetConnection(const uint8_t* text) {
  return Guarded<TarvelinDbConnection*>(nullptr, [&]() -> Result<TarvelinDbConnection*> {
    auto handle = SetCurrentConnection(TextIn(text));
    if (!handle.ok()) return handle.status();
    return reinterpret_cast<TarvelinDbConnection*>(*handle);
  });
}

void DBGetConnection(uint8_t* text) {
  GuardedVoid([&] {
    TextOut(CurrentConnectionText(), text);
    return Status::Ok();
  });
}

uint8_t DBCheckConnection(const uint8_t* text) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(CheckConnectionText(TextIn(text)));
    return 1;
  });
}

void DBReloadConfig(void) {
  GuardedVoid([] {
    ReloadConnections();
    return Status::Ok();
  });
}

void DBDoneConnection(void) {
  GuardedVoid([] {
    CloseConnections();
    return Status::Ok();
  });
}

// Reads the thread's last error without clearing it: not Guarded.
void DBLastError(uint8_t* text) { TextOut(LastError(), text); }

uint8_t DBCreateTables(TarvelinDbConnection* connection) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionOf(reinterpret_cast<ConnectionHandle*>(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(CreateTables(**sql));
    return 1;
  });
}

uint8_t DBDropTables(TarvelinDbConnection* connection) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionOf(reinterpret_cast<ConnectionHandle*>(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(DropTables(**sql));
    return 1;
  });
}

}  // extern "C"
