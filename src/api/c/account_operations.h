// The account exports as functions on a given Context: the operations of
// core/accounts/account_operations.h with caller buffers and the result
// numbers of the C API. A domain that does not resolve gives -1.
//
// Positions move when another program deletes an account. The Context
// notes which account LoadUser, SaveUser and AddUser handed out or wrote
// at each position of a domain (core/load_notes.h); SaveUser and
// DeleteUser at a noted position refuse with -1, changing nothing, when
// another account stands there now (SaveUser also goes ahead when that one
// is the account of the record it is given). The caller then loads again.
// A position never noted is saved or deleted unchecked, as it always was.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

namespace capi {

// The number of accounts.
int32_t GetUserCount(Context& context, const char* domain);
// Each primary alias followed by a zero byte, then one more zero byte; the
// buffer is zero-filled first. The text's length, or -3.
int32_t GetUserList(Context& context, const char* domain, void* buffer, int32_t size);
// The first position whose alias list holds `alias`, or -1.
int32_t GetUserIndex(Context& context, const char* domain, const char* alias);
// kUserRecordSize; -3 for a buffer below a record; -1 for a position
// without an account.
int32_t LoadUser(Context& context, const char* domain, int32_t position, void* buffer,
                 int32_t size);
// 0; -3; -1 when a check refuses the record, it could not be written, or
// the position holds another account than the one noted.
int32_t SaveUser(Context& context, const char* domain, int32_t position, const void* buffer,
                 int32_t size);
// The new position; -3; -1.
int32_t AddUser(Context& context, const char* domain, const void* buffer, int32_t size);
// 0, also for a position at or beyond the end; -1, also when the position
// no longer holds the account noted there.
int32_t DeleteUser(Context& context, const char* domain, int32_t position);

}  // namespace capi
}  // namespace tarvelin
