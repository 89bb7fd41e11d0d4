#include "schema/domain_record_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace tarvelin {
namespace {

TEST(DomainRecordLayout, EveryKnownIdHasOneRowAndUnknownIdsNone) {
  std::set<int> ids;
  for (const DomainField& field : DomainFields()) {
    EXPECT_TRUE(ids.insert(field.id).second) << "id " << field.id << " twice";
  }
  for (int id = -1; id <= 40; ++id) {
    const bool unknown = id < 0 || id == 2 || (id >= 26 && id <= 31) || id > 36;
    EXPECT_EQ(FindDomainField(id) == nullptr, unknown) << id;
    EXPECT_EQ(ids.count(id) == 0, unknown) << id;
  }
}

TEST(DomainRecordLayout, FieldsTileTheRecordWithoutOverlap) {
  // Byte by byte: which row owns it. Only the two bits of offset 61 share
  // a byte, and the packed record spans everything.
  std::array<int, kDomainRecordSize> owner;
  owner.fill(-1);
  for (const DomainField& field : DomainFields()) {
    if (field.kind == FieldKind::kPacked) {
      EXPECT_EQ(field.offset, 0);
      EXPECT_EQ(field.width, kDomainRecordSize);
      continue;
    }
    ASSERT_LE(field.offset + field.width, kDomainRecordSize) << field.id;
    if (field.kind == FieldKind::kText) {
      EXPECT_LE(field.capacity(), 255) << "a length byte counts to 255: " << field.id;
    }
    if (field.kind == FieldKind::kDate) {
      EXPECT_EQ(field.width, 8) << field.id;
    }
    for (int i = field.offset; i < field.offset + field.width; ++i) {
      const bool shared_bits = field.kind == FieldKind::kBit && owner[i] >= 0;
      EXPECT_TRUE(owner[i] < 0 || shared_bits)
          << "byte " << i << " of ids " << owner[i] << " and " << field.id;
      owner[i] = field.id;
    }
  }
  for (int i = 0; i < kDomainRecordSize; ++i) EXPECT_GE(owner[i], 0) << "byte " << i << " unused";
}

TEST(DomainRecordLayout, FieldsTheLibraryActsOn) {
  struct Case {
    int id;
    int offset;
    FieldKind kind;
  };
  const Case cases[] = {
      {11, domain_offsets::kDiskQuota, FieldKind::kNumber},
      {10, domain_offsets::kServiceBits, FieldKind::kBit},
      {1, domain_offsets::kType, FieldKind::kNumber},
      {3, domain_offsets::kValue, FieldKind::kText},
      {16, domain_offsets::kDisabled, FieldKind::kFlag},
      {21, domain_offsets::kExpires, FieldKind::kFlag},
      {22, domain_offsets::kExpiryDate, FieldKind::kDate},
      {36, domain_offsets::kMailboxRoot, FieldKind::kText},
  };
  for (const Case& c : cases) {
    const DomainField* field = FindDomainField(c.id);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->offset, c.offset) << c.id;
    EXPECT_EQ(field->kind, c.kind) << c.id;
  }
  EXPECT_EQ(FindDomainField(36)->capacity(), domain_offsets::kMailboxRootCapacity);
  EXPECT_EQ(FindDomainField(34)->bit, 1);
}

}  // namespace
}  // namespace tarvelin
