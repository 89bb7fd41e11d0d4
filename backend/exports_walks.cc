// The walk and login search exports of db.so.
#include <cstring>

#include "backend/account_walk.h"
#include "backend/connections.h"
#include "backend/login_search.h"
#include "tarvelin/db_backend.h"

using tarvelin::Result;
using tarvelin::Status;
using namespace tarvelin::backend;

namespace {

Status NeedState(const uint8_t* state) {
  return state != nullptr ? Status::Ok() : Status::InvalidArgument("no walk state");
}

}  // namespace

extern "C" {

uint8_t DBInitUsers(const uint8_t* domain, uint8_t* state, int32_t count, int32_t skip) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedState(state));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(StartWalk(**sql, TextIn(domain), state, count, skip));
    return 1;
  });
}

// Nonzero at the end; a failure ends the walk too.
uint8_t DBNextUser(uint8_t* state) {
  return Guarded<uint8_t>(1, [&]() -> Result<uint8_t> {
    TARVELIN_RETURN_IF_ERROR(NeedState(state));
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto delivered = NextInWalk(**sql, state);
    if (!delivered.ok()) return delivered.status();
    return *delivered ? 0 : 1;
  });
}

void DBDoneUsers(uint8_t* state) {
  GuardedVoid([&] {
    if (state != nullptr) EndWalk(state);
    return Status::Ok();
  });
}

void* DBAuthenticateUser(const uint8_t* login, uint8_t alias_login) {
  return Guarded<void*>(nullptr, [&]() -> Result<void*> {
    auto sql = CurrentConnection();
    if (!sql.ok()) return sql.status();
    auto search = StartLoginSearch(**sql, TextIn(login), alias_login != 0);
    if (!search.ok()) return search.status();
    LoginSearch* handle = search->release();
    if (handle != nullptr) KeepLoginSearch(handle);
    return static_cast<void*>(handle);
  });
}

uint8_t DBAuthenticateNext(void* handle, uint8_t more, uint8_t* record, uint8_t* domain,
                           int32_t* index) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    LoginSearch* search = LoginSearchOf(handle);
    if (search == nullptr) return Status::InvalidArgument("not a login search of this library");
    if (record == nullptr) return Status::InvalidArgument("no buffer for the account record");
    if (more == 0) search->next = 0;
    if (search->next >= search->candidates.size()) return 0;
    const FoundAccount& found = search->candidates[search->next++];
    std::memcpy(record, found.record.data(), found.record.size());
    TextOut(found.domain, domain);
    if (index != nullptr) *index = found.position;
    return 1;
  });
}

void DBAuthenticateDone(void* handle, uint8_t, int32_t, const uint8_t*, const uint8_t*) {
  GuardedVoid([&] {
    FreeLoginSearch(handle);
    return Status::Ok();
  });
}

}  // extern "C"
