// Single fields of one item of a schedule block that the caller holds,
// addressed by setting type (the rows of schedule_layout.h) and moved with
// the value conventions of schema/marshal.h. Only the block's 284 bytes are
// ever read or written.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

// The value of `type` for item `item` (0 to 6; types 0 and 15 ignore it):
// bytes written, kResultBufferTooSmall when the buffer cannot hold the
// value, kResultFailed for an unknown type or an item outside 0 to 6.
// `block` holds kScheduleRecordSize bytes.
int32_t GetScheduleField(const uint8_t* block, int32_t item, int32_t type, void* buffer,
                         int32_t size);
// Stores the caller's value: flags as given, type 9 the low byte, type 10
// seconds (signed 32-bit) as a fraction of a day, types 13 and 14 a signed
// 32-bit number as a double, type 15 the packed block. 0; kResultFailed,
// with the block unchanged, as for GetScheduleField.
int32_t SetScheduleField(uint8_t* block, int32_t item, int32_t type, const void* value,
                         int32_t size);

// The same on a caller's schedule of `schedule_size` bytes: first
// kResultNotInitialised before Init, then kResultBufferTooSmall for a null
// schedule or one below kScheduleRecordSize bytes (nothing read or written).
int32_t GetScheduleSetting(const Context& context, const void* schedule, int32_t schedule_size,
                           int32_t item, int32_t type, void* buffer, int32_t size);
int32_t SetScheduleSetting(const Context& context, void* schedule, int32_t schedule_size,
                           int32_t item, int32_t type, const void* value, int32_t size);

}  // namespace tarvelin
