// The C exports of the account walks. A handle is the address of the walk's
// UserEnumState; the caller only passes it back.
#include <memory>

#include "api/c/account_enumeration.h"
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::GuardedVoid;
using tarvelin::TheContext;
using tarvelin::UserEnumState;

extern "C" {

uint8_t APIInitUsersQuery(void** handle, const char* domain, const char* query) {
  return Guarded<uint8_t>(0, [&]() -> uint8_t {
    if (handle == nullptr || !TheContext().api.initialised) return 0;
    std::unique_ptr<UserEnumState> state = tarvelin::InitUsersQuery(TheContext(), domain, query);
    *handle = state.release();
    return *handle != nullptr ? 1 : 0;
  });
}

uint8_t APIInitUsers(void** handle, const char* domain) {
  return APIInitUsersQuery(handle, domain, nullptr);
}

uint8_t APINextUser(void* handle, void* buffer, int32_t size) {
  return Guarded<uint8_t>(0, [&]() -> uint8_t {
    return tarvelin::NextUser(TheContext(), static_cast<UserEnumState*>(handle), buffer, size) ? 1
                                                                                               : 0;
  });
}

void APIDoneUsers(void* handle) {
  GuardedVoid([&] {
    if (handle == nullptr || !TheContext().api.initialised) return;
    tarvelin::DoneUsers(TheContext(),
                        std::unique_ptr<UserEnumState>(static_cast<UserEnumState*>(handle)));
  });
}

}  // extern "C"
