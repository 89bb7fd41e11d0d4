// Single fields of one item of a schedule block that the caller holds,
// addressed by setting type (the rows of schedule_layout.h) and moved by the
// field codec. Only the block's 284 bytes are ever read or written.
#pragma once

#include <cstdint>

#include "foundation/status.h"
#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin {

// The value of `type` for item `item` (0 to 6; types 0 and 15 ignore it):
// the bytes written, BufferTooSmall when the buffer cannot hold the value,
// NotFound for an unknown type or an item outside 0 to 6. `block` holds
// kScheduleRecordSize bytes.
Result<int32_t> GetScheduleField(const uint8_t* block, int32_t item, int32_t type, void* buffer,
                                 int32_t size);
// Stores the caller's value: flags as given, type 9 the low byte, type 10
// seconds (signed 32-bit) as a fraction of a day, types 13 and 14 a signed
// 32-bit number as a double, type 15 the packed block. NotFound, with the
// block unchanged, as for GetScheduleField.
Status SetScheduleField(uint8_t* block, int32_t item, int32_t type, const void* value,
                        int32_t size);

// How the value of `type` travels: flags, numbers (types 10, 13 and 14
// signed), the packed block as a text. NotFound for an unknown type.
Result<SettingShape> DescribeScheduleSetting(int32_t type);

// The same as typed values. The set refuses a value that does not fit the
// type's shape (InvalidArgument), the block then left as it was.
Result<SettingValue> ScheduleSettingValue(const uint8_t* block, int32_t item, int32_t type);
Status SetScheduleSettingValue(uint8_t* block, int32_t item, int32_t type,
                               const SettingValue& value);

}  // namespace tarvelin
