// ScheduleRecord: the 284-byte schedule block that the server configuration
// and each remote account embed. The block holds an item count (offset 0,
// 16 bits, changed only by its owner), the schedule flag (offset 2), one
// reserved byte, and seven 40-byte items from offset 4. One table row per
// setting type gives where the type's value lives and how it travels; the
// rows drive GetScheduleSetting/SetScheduleSetting, the CLI and the tests.
// Bytes no row covers are carried as given.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tarvelin {

inline constexpr int kScheduleRecordSize = 284;
inline constexpr int kScheduleItemsOffset = 4;
inline constexpr int kScheduleItemSize = 40;
inline constexpr int kScheduleItemCount = 7;

enum class ScheduleFieldKind : uint8_t {
  kFlag,         // one byte as stored
  kNumber,       // unsigned little-endian of `width` bytes
  kTimeOfDay,    // double, fraction of a day; exchanged as whole seconds
  kWholeNumber,  // double holding a whole number; exchanged as signed 32-bit
  kPacked,       // the whole block, Base64 of its zlib stream
};

struct ScheduleField {
  int type;
  bool in_item;  // offset is inside item i (else inside the block)
  int offset;
  int width;
  ScheduleFieldKind kind;
};

// The configuration variables whose value is a schedule block.
inline constexpr std::array<int, 6> kConfigScheduleIds = {149, 321, 355, 374, 382, 431};

// Every setting type, by type number.
std::span<const ScheduleField> ScheduleFields();
// The row of a setting type, or nullptr for an unknown type (1, above 15).
const ScheduleField* FindScheduleField(int type);

}  // namespace tarvelin
