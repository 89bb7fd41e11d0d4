// The remote-account exports: the list in remote.cfg by position (single
// settings of a caller-held record are in schema/remote_settings.h). Every
// function returns kResultNotInitialised before the library is initialised.
// Every save, add and delete that reaches the file, successful or not, ends by telling the
// POP3 service to reload the list.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

inline constexpr int kRemoteReloadService = 1;  // POP3 collects the remote accounts

// The number of remote accounts; 0 when remote.cfg is missing.
int32_t GetRACount(Context& context);
// The record at `position` into the buffer: kRemoteRecordSize (a zero
// record for a position outside a non-empty file); kResultFailed when
// remote.cfg is missing or empty; kResultBufferTooSmall for a buffer below
// the record size.
int32_t LoadRA(Context& context, int32_t position, void* buffer, int32_t size);
// Writes the first kRemoteRecordSize bytes of the buffer at `position`
// (-1 or the count appends): 0; kResultFailed for another position outside
// the file or a failed write; kResultBufferTooSmall for a short buffer.
int32_t SaveRA(Context& context, int32_t position, const void* buffer, int32_t size);
// Appends the record: 0, kResultFailed, kResultBufferTooSmall as SaveRA.
int32_t AddRA(Context& context, const void* buffer, int32_t size);
// Removes the record at `position` with its collection state files; later
// records move down. 0, also for a position outside the file (nothing is
// removed); kResultFailed when remote.cfg is missing or was not rewritten
// (it is then unchanged and the state files stay).
int32_t DeleteRA(Context& context, int32_t position);

}  // namespace tarvelin
