#include "schema/remote_record_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "schema/schedule_layout.h"

namespace tarvelin {
namespace {

TEST(RemoteRecordLayout, IdsFrom224To248EachHaveOneRow) {
  std::set<int> ids;
  for (const RemoteField& field : RemoteFields()) {
    EXPECT_TRUE(ids.insert(field.id).second) << "id " << field.id << " twice";
  }
  for (int id = 200; id <= 260; ++id) {
    const bool known = id >= 224 && id <= 248;
    EXPECT_EQ(FindRemoteField(id) != nullptr, known) << id;
  }
  EXPECT_EQ(ids.size(), 25u);
}

TEST(RemoteRecordLayout, FieldsTileTheRecordBesideTheReservedRanges) {
  std::array<int, kRemoteRecordSize> owner;
  owner.fill(-1);
  for (const RemoteField& field : RemoteFields()) {
    if (field.kind == FieldKind::kPacked) {
      EXPECT_EQ(field.offset, 0);
      EXPECT_EQ(field.width, kRemoteRecordSize);
      continue;
    }
    ASSERT_LE(field.offset + field.width, kRemoteRecordSize) << field.id;
    if (field.kind == FieldKind::kText) {
      EXPECT_LE(field.capacity(), 255) << "a length byte counts to 255: " << field.id;
    }
    if (field.kind == FieldKind::kFlag) {
      EXPECT_EQ(field.width, 1) << field.id;
    }
    for (int i = field.offset; i < field.offset + field.width; ++i) {
      EXPECT_EQ(owner[i], -1) << "byte " << i << " of ids " << owner[i] << " and " << field.id;
      owner[i] = field.id;
    }
  }
  const auto reserved = [](int i) {
    return (i >= 1246 && i < 1269) || (i >= 1278 && i < 1310) || i >= 1568;
  };
  for (int i = 0; i < kRemoteRecordSize; ++i) {
    EXPECT_EQ(owner[i] < 0, reserved(i)) << "byte " << i;
  }
}

TEST(RemoteRecordLayout, FieldsTheLibraryActsOn) {
  const RemoteField* schedule = FindRemoteField(246);
  ASSERT_NE(schedule, nullptr);
  EXPECT_EQ(schedule->offset, remote_offsets::kSchedule);
  EXPECT_EQ(schedule->width, kScheduleRecordSize);
  EXPECT_EQ(schedule->kind, FieldKind::kBlock);
  const RemoteField* state = FindRemoteField(244);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->offset, remote_offsets::kStateFile);
  EXPECT_EQ(state->capacity(), remote_offsets::kStateFileCapacity);
}

}  // namespace
}  // namespace tarvelin
