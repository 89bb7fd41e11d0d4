// The remote-account exports as functions on a given Context: the
// operations of core/remote/remote_operations.h with caller buffers and the
// result numbers of the C API. A buffer below kRemoteRecordSize gives -3
// before anything is read, written or posted.
//
// As with the accounts (account_operations.h), the Context notes which
// remote account LoadRA and SaveRA handed out or wrote at each position;
// SaveRA and DeleteRA at a noted position that now holds another remote
// account (by RemoteIdentity: server and login) give -1 and change
// nothing. Unnoted positions are written as they always were.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

namespace capi {

int32_t GetRACount(Context& context);
// kRemoteRecordSize; -1 when remote.cfg is missing or empty; -3.
int32_t LoadRA(Context& context, int32_t position, void* buffer, int32_t size);
// 0; -1 for a position outside the list (other than -1 and the count), a
// failed write, or another remote account at a noted position; -3.
int32_t SaveRA(Context& context, int32_t position, const void* buffer, int32_t size);
// Appends: as SaveRA.
int32_t AddRA(Context& context, const void* buffer, int32_t size);
// 0, also for an unnoted position outside the list; -1 when remote.cfg is
// missing or was not rewritten, or the noted remote account is no longer
// at the position.
int32_t DeleteRA(Context& context, int32_t position);

}  // namespace capi
}  // namespace tarvelin
