// The domain exports of db.so: the current connection's domain list.
#include <algorithm>
#include <cstring>

#include "backend/connections.h"
#include "backend/domain_table.h"
#include "tarvelin/db_backend.h"

using tarvelin::Result;
using tarvelin::Status;
using namespace tarvelin::backend;

namespace {

Status NeedBuffer(const void* buffer, const char* what) {
  return buffer != nullptr ? Status::Ok()
                           : Status::InvalidArgument(std::string("no buffer for the ") + what);
}

}  // namespace

extern "C" {

int32_t DBGetDomainCount(void) {
  return Guarded<int32_t>(0, []() -> Result<int32_t> {
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    return CountDomains(**sql);
  });
}

uint8_t DBGetDomains(uint8_t* entries, int32_t count) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    if (count > 0) TARVELIN_RETURN_IF_ERROR(NeedBuffer(entries, "domain entries"));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto rows = ListDomains(**sql);
    if (!rows.ok()) return rows.status();
    const size_t filled = std::min<size_t>(rows->size(), count > 0 ? count : 0);
    for (size_t i = 0; i < filled; ++i) FillDomainEntry((*rows)[i], entries + i * kDomainEntrySize);
    return 1;
  });
}

uint8_t DBGetDomain(const uint8_t* name, uint8_t* record) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedBuffer(record, "domain record"));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto bytes = DomainRecord(**sql, TextIn(name));
    if (!bytes.ok()) return bytes.status();
    std::memcpy(record, bytes->data(), kDomainRecordSize);
    return 1;
  });
}

uint8_t DBSetDomain(const uint8_t* name, const uint8_t* record) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedBuffer(record, "domain record"));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(SaveDomainRecord(
        **sql, TextIn(name),
        std::string_view(reinterpret_cast<const char*>(record), kDomainRecordSize)));
    return 1;
  });
}

void DBAddDomain(const uint8_t* name) {
  GuardedVoid([&] {
    auto sql = CurrentConnection();
    return sql.ok() ? AddDomain(**sql, TextIn(name)) : sql.status();
  });
}

void DBDeleteDomain(const uint8_t* name) {
  GuardedVoid([&] {
    auto sql = CurrentConnection();
    return sql.ok() ? DeleteDomain(**sql, TextIn(name)) : sql.status();
  });
}

uint8_t DBRenameDomain(const uint8_t* old_name, const uint8_t* new_name) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(RenameDomain(**sql, TextIn(old_name), TextIn(new_name)));
    return 1;
  });
}

void DBSetDomainIP(const uint8_t* name, const uint8_t* addresses) {
  GuardedVoid([&] {
    auto sql = CurrentConnection();
    return sql.ok() ? SetDomainBinding(**sql, TextIn(name), TextIn(addresses)) : sql.status();
  });
}

}  // extern "C"
