#include "schema/schedule_layout.h"

#include <gtest/gtest.h>

#include <array>

#include "schema/server_config_layout.h"

namespace tarvelin {
namespace {

TEST(ScheduleLayout, TypesZeroAndTwoToFifteenAreKnown) {
  for (int type = -1; type <= 17; ++type) {
    const bool known = type == 0 || (type >= 2 && type <= 15);
    EXPECT_EQ(FindScheduleField(type) != nullptr, known) << type;
  }
  EXPECT_EQ(kScheduleItemsOffset + kScheduleItemSize * kScheduleItemCount, kScheduleRecordSize);
}

TEST(ScheduleLayout, ItemFieldsTileTheItemBesideItsReservedBytes) {
  std::array<int, kScheduleItemSize> owner;
  owner.fill(-1);
  for (const ScheduleField& field : ScheduleFields()) {
    if (!field.in_item) continue;
    ASSERT_LE(field.offset + field.width, kScheduleItemSize) << field.type;
    for (int i = field.offset; i < field.offset + field.width; ++i) {
      EXPECT_EQ(owner[i], -1) << "byte " << i << " of types " << owner[i] << " and " << field.type;
      owner[i] = field.type;
    }
  }
  for (int i = 0; i < kScheduleItemSize; ++i) {
    EXPECT_EQ(owner[i] < 0, i >= 21 && i < 24) << "byte " << i;
  }
}

TEST(ScheduleLayout, ConfigScheduleIdsAreTheScheduleBlocksOfTheConfiguration) {
  const int offsets[] = {4292, 22543, 23101, 24187, 24471, 27245};
  for (size_t i = 0; i < kConfigScheduleIds.size(); ++i) {
    int rows = 0;
    for (const ConfigField& field : ServerConfigFields()) {
      if (field.id != kConfigScheduleIds[i]) continue;
      ++rows;
      EXPECT_EQ(field.offset, offsets[i]) << field.id;
      EXPECT_EQ(field.size, kScheduleRecordSize) << field.id;
      EXPECT_EQ(field.kind, FieldKind::kBlock) << field.id;
    }
    EXPECT_EQ(rows, 1) << kConfigScheduleIds[i];
  }
}

TEST(ScheduleLayout, TheItemCountIsTheFirstSixteenBits) {
  ScheduleRecord block{};
  block[0] = 0x07;
  block[1] = 0x01;
  block[2] = 0xFF;  // the schedule flag is no part of it
  EXPECT_EQ(ScheduleItemsInUse(block), 0x107);
}

}  // namespace
}  // namespace tarvelin
