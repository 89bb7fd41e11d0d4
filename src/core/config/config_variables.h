// The global settings by number. Most ids name one ServerConfig field (the
// layout table); the special ids name directories, fixed texts, the whole
// record, or values computed at the moment of the call. Setting a value
// changes only the record in memory and raises the changed flag.
#pragma once

#include <cstdint>

#include "foundation/status.h"
#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin {

class Context;

// How a setting's value travels; NotFound for an unknown id.
Result<SettingShape> DescribeConfigSetting(int32_t id);

// Bytes written; NotFound for an unknown id, BufferTooSmall when the buffer
// cannot hold the value.
Result<int32_t> GetConfigSetting(Context& context, int32_t id, void* buffer, int32_t size);
// Stores the value and raises the changed flag; NotFound for an unknown id
// and Refused for a get-only one (nothing changes then).
Status SetConfigSetting(Context& context, int32_t id, const void* buffer, int32_t size);

// The same as typed values: NotFound for an unknown id; the set refuses a
// value that does not fit the setting's shape (InvalidArgument) and a
// get-only id (Refused), changing nothing then.
Result<SettingValue> ConfigSettingValue(Context& context, int32_t id);
Status SetConfigSettingValue(Context& context, int32_t id, const SettingValue& value);
// A number or flag setting as a number (a flag is 1 or 0); 0 for a setting
// of another kind or one that cannot be read.
int64_t ConfigSettingNumber(Context& context, int32_t id);

}  // namespace tarvelin
