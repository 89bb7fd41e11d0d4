// The account exports of db.so: each domain's accounts by position, and
// the lookups by alias, name and mailbox.
#include <cstring>
#include <string>

#include "backend/account_table.h"
#include "backend/connections.h"
#include "backend/last_users_domain.h"
#include "tarvelin/db_backend.h"

using tarvelin::Result;
using tarvelin::Status;
using tarvelin::UserRecord;
using namespace tarvelin::backend;

namespace {

Status NeedBuffer(const void* buffer, const char* what) {
  return buffer != nullptr ? Status::Ok()
                           : Status::InvalidArgument(std::string("no buffer for the ") + what);
}

void CopyOut(const UserRecord& record, uint8_t* out) {
  std::memcpy(out, record.data(), record.size());
}

int32_t GetUsers(const uint8_t* domain, uint8_t* record, int32_t position) {
  return Guarded<int32_t>(-1, [&]() -> Result<int32_t> {
    const std::string name = TextIn(domain);
    RememberUsersDomain(name);
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto count = CountAccounts(**sql, name);
    if (!count.ok()) return count.status();
    if (record != nullptr && position >= 0 && position < *count) {
      auto found = AccountAt(**sql, name, position);
      if (!found.ok()) return found.status();
      if (found->has_value()) CopyOut(**found, record);
    }
    return *count;
  });
}

}  // namespace

extern "C" {

int32_t DBGetUsers(const uint8_t* domain, uint8_t* record, int32_t position) {
  return GetUsers(domain, record, position);
}

int32_t DBGetUsersReal(const uint8_t* domain, uint8_t* record, int32_t position) {
  return GetUsers(domain, record, position);
}

int32_t DBGetUsersIndex(const uint8_t* domain, const uint8_t* alias) {
  return Guarded<int32_t>(-1, [&]() -> Result<int32_t> {
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    return PositionOfAlias(**sql, TextIn(domain), TextIn(alias));
  });
}

uint8_t DBSaveUsers(const uint8_t* domain, const uint8_t* record, int32_t* position) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedBuffer(record, "account record"));
    TARVELIN_RETURN_IF_ERROR(NeedBuffer(position, "position"));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    UserRecord copy;
    std::memcpy(copy.data(), record, copy.size());
    TARVELIN_RETURN_IF_ERROR(SaveAccount(**sql, TextIn(domain), copy, position));
    return 1;
  });
}

uint8_t DBDeleteUsers(int32_t position) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto domain = LastUsersDomain();
    if (!domain.ok()) return domain.status();
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(RemoveAccount(**sql, *domain, position));
    return 1;
  });
}

uint8_t DBGetLocalUser(const uint8_t* address, uint8_t* record) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedBuffer(record, "account record"));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto found = LocalAccount(**sql, TextIn(address));
    if (!found.ok()) return found.status();
    CopyOut(found->record, record);
    return 1;
  });
}

uint8_t DBFindUserString(const uint8_t* text, uint8_t* record, uint8_t* domain) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedBuffer(record, "account record"));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto found = AccountByFullName(**sql, TextIn(text));
    if (!found.ok()) return found.status();
    CopyOut(found->record, record);
    TextOut(found->domain, domain);
    return 1;
  });
}

uint8_t DBCheckNewAlias(const uint8_t* domain, const uint8_t* aliases) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto free = AliasesFree(**sql, TextIn(domain), TextIn(aliases));
    if (!free.ok()) return free.status();
    return *free ? 1 : 0;
  });
}

uint8_t DBCheckForMailbox(const uint8_t* mailbox, const uint8_t* password, const uint8_t* aliases,
                          const uint8_t* domain, uint8_t binding) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto conflict = MailboxConflict(**sql, TextIn(mailbox), TextIn(password), TextIn(aliases),
                                    TextIn(domain), binding != 0);
    if (!conflict.ok()) return conflict.status();
    return *conflict ? 1 : 0;
  });
}

}  // extern "C"
