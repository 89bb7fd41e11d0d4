// SettingShape: how the value of one setting travels, alike for every
// family of settings (the configuration, accounts, domains, remote accounts
// and schedules): its kind, its size by kind, whether a number is signed and
// whether the setting can be written. Each family's describe function
// answers one for an id; schema/setting_value.h moves values by it.
#pragma once

#include <cstdint>

#include "schema/field_codec.h"

namespace tarvelin {

enum class SettingKind : uint8_t {
  kNumber,    // up to 4 bytes, little-endian
  kFlag,      // one byte, 0 or 1
  kDateTime,  // 8-byte double, days since 30 December 1899
  kText,      // the characters, without length byte or terminator
  kBlock,     // raw bytes
};

struct SettingShape {
  SettingKind kind = SettingKind::kNumber;
  // A number's or a block's width in bytes; a text's capacity in
  // characters, 0 for a text without a fixed capacity (a packed record).
  int size = 0;
  bool is_signed = false;  // a number that travels as signed 32-bit
  bool writable = true;

  bool operator==(const SettingShape&) const = default;
};

// The shape of a plain field of a layout table, by its codec kind: flags and
// bits are flags, texts have width - 1 characters, a character is a text of
// one, times of day and whole numbers are signed 4-byte numbers, a packed
// record is a text without a fixed capacity.
SettingShape ShapeOfField(const FieldSlot& slot);

// "number", "flag", "date-time", "text" or "block".
const char* SettingKindName(SettingKind kind);

}  // namespace tarvelin
