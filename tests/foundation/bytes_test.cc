#include "foundation/bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tarvelin {
namespace {

TEST(BytesTest, GetLEReadsOnlyItsWidth) {
  const uint8_t record[] = {0x01, 0x02, 0x03, 0x04, 0xAA};
  const struct {
    int width;
    uint32_t expected;
  } cases[] = {{1, 0x01}, {2, 0x0201}, {3, 0x030201}, {4, 0x04030201}};
  for (const auto& c : cases) {
    EXPECT_EQ(GetLE(record, c.width), c.expected) << "width " << c.width;
  }
}

TEST(BytesTest, PutLEWritesLowOrderBytesAndNothingMore) {
  const struct {
    int width;
    uint32_t value;
    uint32_t stored;
  } cases[] = {
      {1, 0xFF, 0xFF},
      {1, 0x1234, 0x34},
      {2, 0xBEEF, 0xBEEF},
      {2, 0x12345678, 0x5678},
      {3, 0xABCDEF, 0xABCDEF},
      {3, 0xFF000001, 0x000001},
      {4, 0xFFFFFFFF, 0xFFFFFFFF},
      {4, 0x80000001, 0x80000001},
  };
  for (const auto& c : cases) {
    uint8_t buffer[6];
    std::memset(buffer, 0xCC, sizeof(buffer));
    PutLE(buffer + 1, c.width, c.value);
    EXPECT_EQ(GetLE(buffer + 1, c.width), c.stored) << "width " << c.width;
    EXPECT_EQ(buffer[0], 0xCC);
    for (int i = 1 + c.width; i < 6; ++i) EXPECT_EQ(buffer[i], 0xCC) << "width " << c.width;
  }
}

TEST(BytesTest, PutLEIsLittleEndian) {
  uint8_t buffer[4];
  PutLE(buffer, 4, 0x11223344);
  EXPECT_EQ(buffer[0], 0x44);
  EXPECT_EQ(buffer[1], 0x33);
  EXPECT_EQ(buffer[2], 0x22);
  EXPECT_EQ(buffer[3], 0x11);
}

TEST(BytesTest, DoubleLayoutAndRoundTrip) {
  uint8_t buffer[8];
  PutDouble(buffer, 1.0);
  const uint8_t one[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(std::memcmp(buffer, one, 8), 0);

  for (double value : {0.0, -1.25, 45351.5, 2958465.999988426, -693593.0}) {
    PutDouble(buffer, value);
    EXPECT_EQ(GetDouble(buffer), value);
  }
}

TEST(BytesTest, PStringRoundTrip) {
  uint8_t field[11] = {};
  PutPString(field, 10, "hello");
  EXPECT_EQ(field[0], 5);
  EXPECT_EQ(GetPString(field, 10), "hello");
  PutPString(field, 10, "");
  EXPECT_EQ(GetPString(field, 10), "");
}

TEST(BytesTest, PStringIsCutToCapacity) {
  uint8_t field[6];
  std::memset(field, 0xCC, sizeof(field));
  PutPString(field, 4, "abcdefgh");
  EXPECT_EQ(field[0], 4);
  EXPECT_EQ(GetPString(field, 4), "abcd");
  EXPECT_EQ(field[5], 0xCC);  // the byte after the field
}

TEST(BytesTest, PStringLengthNeverExceeds255) {
  std::vector<uint8_t> field(301, 0);
  PutPString(field.data(), 300, std::string(280, 'x'));
  EXPECT_EQ(field[0], 255);
  EXPECT_EQ(GetPString(field.data(), 300), std::string(255, 'x'));
  EXPECT_EQ(field[256], 0);
}

TEST(BytesTest, OverlongLengthByteReadsAsCapacity) {
  const uint8_t field[] = {200, 'a', 'b', 'c', 'd', 'z', 'z'};
  EXPECT_EQ(GetPString(field, 4), "abcd");
}

TEST(BytesTest, BytesPastNewLengthKeepTheirContent) {
  uint8_t field[9];
  PutPString(field, 8, "abcdefgh");
  PutPString(field, 8, "xy");
  EXPECT_EQ(GetPString(field, 8), "xy");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(field + 3), 6), "cdefgh");
}

}  // namespace
}  // namespace tarvelin
