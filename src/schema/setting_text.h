// The text forms of setting values, as people type and read them: numbers
// in decimal (or hexadecimal after "0x"), flags as 1 or 0 (true/false,
// on/off, yes/no are taken too), date-times as "yyyy-mm-dd hh:nn:ss" (the
// time, or its seconds, may be left out; a bare day number is taken too),
// texts as they stand, blocks as hex digits, two per byte.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"
#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin {

// The value `text` gives a setting of `shape`; InvalidArgument saying why
// for a text that does not parse as the shape's kind or a value that does
// not fit it (schema/setting_value.h).
Result<SettingValue> ParseSettingValue(const SettingShape& shape, std::string_view text);

// The value as text: a number in decimal, a flag 1 or 0, a date-time by
// DateTimeText, a text as it is, a block in lower-case hex.
std::string SettingValueText(const SettingValue& value);

// "yyyy-mm-dd hh:nn:ss", or the number itself for a value that is no date.
std::string DateTimeText(double days);

}  // namespace tarvelin
