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

#include "schema/field_codec.h"

namespace tarvelin {

inline constexpr int kScheduleRecordSize = 284;
using ScheduleRecord = std::array<uint8_t, kScheduleRecordSize>;
inline constexpr int kScheduleCountOffset = 0;
inline constexpr int kScheduleItemsOffset = 4;
inline constexpr int kScheduleItemSize = 40;
inline constexpr int kScheduleItemCount = 7;

// The kinds (schema/field_codec.h) are kFlag, kNumber, kTimeOfDay,
// kWholeNumber and kPacked (the whole block).
struct ScheduleField {
  int type;
  bool in_item;  // offset is inside item i (else inside the block)
  int offset;
  int width;
  FieldKind kind;

  // Where the field lies from the start of its item (or of the block).
  FieldSlot slot() const { return {kind, offset, width}; }
};

// The configuration variables whose value is a schedule block.
inline constexpr std::array<int, 6> kConfigScheduleIds = {149, 321, 355, 374, 382, 431};

// The item count of the block: how many items its owner uses.
int ScheduleItemsInUse(const ScheduleRecord& block);

// Every setting type, by type number.
std::span<const ScheduleField> ScheduleFields();
// The row of a setting type, or nullptr for an unknown type (1, above 15).
const ScheduleField* FindScheduleField(int type);

}  // namespace tarvelin
