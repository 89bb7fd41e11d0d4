// The global settings by number. Most ids name one ServerConfig field (the
// layout table); the special ids name directories, fixed texts, the whole
// record, or values computed at the moment of the call. Setting a value
// changes only the record in memory and raises the changed flag.
#pragma once

#include <cstdint>

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

// Bytes written; kResultFailed for an unknown or unavailable id,
// kResultBufferTooSmall, kResultNotInitialised.
int32_t GetConfigSetting(Context& context, int32_t id, void* buffer, int32_t size);
// 0 when stored; kResultFailed for an unknown or get-only id (nothing
// changes), kResultNotInitialised.
int32_t SetConfigSetting(Context& context, int32_t id, const void* buffer, int32_t size);

}  // namespace tarvelin
