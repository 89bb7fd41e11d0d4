// The remote-account exports as functions on a given Context: the
// operations of core/remote/remote_operations.h with caller buffers and the
// result numbers of the C API. A buffer below kRemoteRecordSize gives -3
// before anything is read, written or posted.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

namespace capi {

int32_t GetRACount(Context& context);
// kRemoteRecordSize; -1 when remote.cfg is missing or empty; -3.
int32_t LoadRA(Context& context, int32_t position, void* buffer, int32_t size);
// 0; -1 for a position outside the list (other than -1 and the count) or a
// failed write; -3.
int32_t SaveRA(Context& context, int32_t position, const void* buffer, int32_t size);
// Appends: as SaveRA.
int32_t AddRA(Context& context, const void* buffer, int32_t size);
// 0, also for a position outside the list; -1 when remote.cfg is missing
// or was not rewritten.
int32_t DeleteRA(Context& context, int32_t position);

}  // namespace capi
}  // namespace tarvelin
