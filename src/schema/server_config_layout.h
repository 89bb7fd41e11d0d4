// The layout of ServerConfig, the 28084-byte global configuration record of
// settings.cfg: one row per field that a setting id reaches or the load
// touches, in offset order. The table drives the built-in record, the
// defaults pass, GetConfigSetting/SetConfigSetting and their tests. Bytes
// outside every row are carried from file to memory to file unchanged.
#pragma once

#include <cstdint>
#include <span>

#include "schema/field_codec.h"

namespace tarvelin {

inline constexpr int kServerConfigSize = 28084;
inline constexpr int16_t kNoSettingId = -1;

// What the defaults pass puts into the field after every load.
enum class LoadDefault : uint8_t {
  kNone,
  kNumberWhenZero,      // default_number when the field holds 0
  kTextWhenEmpty,       // default_text when the field is empty
  kSystemDnsWhenEmpty,  // the machine's DNS servers, joined with ";"
  kInstallDirectory,    // InstallPath + default_text when empty
  kByStep,              // set by a named step of the defaults pass
};

// A field's kind is one of kFlag, kInvertedFlag, kNumber, kText, kCharacter
// and kBlock.
struct ConfigField {
  uint16_t offset;
  uint16_t size;
  FieldKind kind;
  int16_t id;  // plain setting id, or kNoSettingId
  bool has_builtin;
  uint32_t builtin_number;   // built-in value of a number or flag
  const char* builtin_text;  // built-in value of a text, or nullptr
  LoadDefault load_default;
  uint32_t default_number;
  const char* default_text;

  int capacity() const { return size - 1; }  // of a text
  FieldSlot slot() const { return {kind, offset, size}; }
};

// Every row, in offset order.
std::span<const ConfigField> ServerConfigFields();

}  // namespace tarvelin
