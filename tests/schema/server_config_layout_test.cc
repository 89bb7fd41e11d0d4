#include "schema/server_config_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "schema/server_config.h"

namespace tarvelin {
namespace {

TEST(ServerConfigLayout, FieldsAreOrderedInsideTheRecordAndNeverOverlap) {
  int end_of_previous = 0;
  for (const ConfigField& field : ServerConfigFields()) {
    EXPECT_GE(field.offset, end_of_previous) << "field at " << field.offset << " overlaps";
    EXPECT_GT(field.size, 0);
    end_of_previous = field.offset + field.size;
  }
  EXPECT_LE(end_of_previous, kServerConfigSize);
}

TEST(ServerConfigLayout, IdsAreUniqueAndKindsHaveSaneWidths) {
  std::set<int> ids;
  for (const ConfigField& field : ServerConfigFields()) {
    if (field.id != kNoSettingId) {
      EXPECT_TRUE(ids.insert(field.id).second) << "id " << field.id << " twice";
    }
    switch (field.kind) {
      case FieldKind::kFlag:
      case FieldKind::kInvertedFlag:
      case FieldKind::kCharacter:
        EXPECT_EQ(field.size, 1) << field.offset;
        break;
      case FieldKind::kNumber:
        EXPECT_TRUE(field.size == 1 || field.size == 2 || field.size == 4) << field.offset;
        break;
      case FieldKind::kText:
        EXPECT_LE(field.capacity(), 255) << field.offset;
        break;
      case FieldKind::kBlock:
        break;
      default:
        ADD_FAILURE() << "a configuration row of kind " << static_cast<int>(field.kind);
    }
  }
}

TEST(ServerConfigLayout, SampleOfIdsMatchesOffsetsAndKinds) {
  struct Case {
    int id;
    int offset;
    FieldKind kind;
    int size;
  };
  const Case cases[] = {
      {11, 0, FieldKind::kText, 128},
      {12, 242, FieldKind::kNumber, 2},
      {22, 256, FieldKind::kText, 256},
      {27, 1028, FieldKind::kNumber, 2},
      {73, 1477, FieldKind::kText, 32},
      {107, 3255, FieldKind::kText, 126},
      {117, 3633, FieldKind::kNumber, 1},
      {148, 4840, FieldKind::kBlock, 2048},
      {149, 4292, FieldKind::kBlock, 284},
      {154, 3385, FieldKind::kText, 241},
      {236, 19989, FieldKind::kText, 51},
      {253, 196, FieldKind::kFlag, 1},
      {319, 22223, FieldKind::kText, 64},
      {364, 24186, FieldKind::kCharacter, 1},
      {396, 25532, FieldKind::kInvertedFlag, 1},
      {410, 25811, FieldKind::kInvertedFlag, 1},
      {419, 26709, FieldKind::kInvertedFlag, 1},
      {431, 27245, FieldKind::kBlock, 284},
      {435, 28047, FieldKind::kNumber, 4},
      {456, 28083, FieldKind::kFlag, 1},
  };
  for (const Case& c : cases) {
    const ConfigField* field = FindConfigFieldById(c.id);
    ASSERT_NE(field, nullptr) << c.id;
    EXPECT_EQ(field->offset, c.offset) << c.id;
    EXPECT_EQ(field->kind, c.kind) << c.id;
    EXPECT_EQ(field->size, c.size) << c.id;
  }
}

TEST(ServerConfigLayout, SpecialAndUnknownIdsReachNoPlainField) {
  for (int id :
       {0, 10, 16, 126, 170, 210, 246, 266, 326, 375, 381, 457, 4095, 4096, 4097, 4098, -1}) {
    EXPECT_EQ(FindConfigFieldById(id), nullptr) << id;
  }
}

TEST(ServerConfig, BuiltInRecordHoldsTheTableValues) {
  const ServerConfig record;
  EXPECT_EQ(record.Text(256), "temp/");
  EXPECT_EQ(record.Text(512), "mail/");
  EXPECT_EQ(record.Text(768), "logs/");
  EXPECT_EQ(record.Text(1477), "MAILER-DAEMON");
  EXPECT_EQ(record.Text(4577), "127.0.0.1;192.168.*.*;10.*.*.*;172.16-31.*.*");
  EXPECT_EQ(record.Number(1032, 4), 30u);
  EXPECT_EQ(record.Number(7010, 2), 45u);
  EXPECT_EQ(record.Byte(3633), 1);
  EXPECT_EQ(record.Byte(7001), 1);
  EXPECT_EQ(record.Number(1028, 2), 0u) << "ports come from the defaults pass, not the record";
  EXPECT_EQ(record.Byte(28082), 0);
}

}  // namespace
}  // namespace tarvelin
