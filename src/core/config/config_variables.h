// The global settings by number. Most ids name one ServerConfig field (the
// layout table); the special ids name directories, fixed texts, the whole
// record, or values computed at the moment of the call. Setting a value
// changes only the record in memory and raises the changed flag.
#pragma once

#include <cstdint>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// How a setting's value travels: its kind and, for numbers and blocks, its
// width in bytes, for texts their capacity.
enum class SettingKind { kUnknown, kFlag, kNumber, kText, kBlock };
struct SettingShape {
  SettingKind kind = SettingKind::kUnknown;
  int size = 0;
  bool writable = false;
};
SettingShape DescribeConfigSetting(int32_t id);

// Bytes written; NotFound for an unknown id, BufferTooSmall when the buffer
// cannot hold the value.
Result<int32_t> GetConfigSetting(Context& context, int32_t id, void* buffer, int32_t size);
// Stores the value and raises the changed flag; NotFound for an unknown id
// and Refused for a get-only one (nothing changes then).
Status SetConfigSetting(Context& context, int32_t id, const void* buffer, int32_t size);

}  // namespace tarvelin
