#include "core/schedules/schedule_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "foundation/bytes.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

constexpr int kGuard = 64;

class ScheduleSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memory_.fill(0xA5);
    std::memset(block(), 0, 284);
  }
  uint8_t* block() { return memory_.data() + kGuard; }
  uint8_t* item(int i) { return block() + 4 + 40 * i; }
  Status Set(int32_t item, int32_t type, int32_t value) {
    return SetScheduleField(block(), item, type, &value, 4);
  }
  Result<int32_t> Get(int32_t item, int32_t type, int32_t* value) {
    *value = 0x7777;
    return GetScheduleField(block(), item, type, value, 4);
  }
  bool GuardsIntact() const {
    for (int i = 0; i < kGuard; ++i) {
      if (memory_[i] != 0xA5 || memory_[kGuard + 284 + i] != 0xA5) return false;
    }
    return true;
  }

  std::array<uint8_t, kGuard + 284 + kGuard> memory_;
};

TEST_F(ScheduleSettingsTest, EachTypeReachesItsFieldOfTheItem) {
  struct Case {
    int32_t type;
    int offset;  // in the item
    int32_t value;
    int32_t bytes;  // a flag is one byte, a number fills the 4-byte buffer
  };
  const Case cases[] = {{8, 0, 1, 1}, {2, 1, 1, 1}, {3, 2, 1, 1},   {4, 3, 1, 1},  {5, 4, 1, 1},
                        {6, 5, 1, 1}, {7, 6, 1, 1}, {12, 20, 1, 1}, {9, 7, 200, 4}};
  for (const Case& c : cases) {
    SetUp();
    ASSERT_EQ(Set(3, c.type, c.value), StatusCode::kOk) << c.type;
    EXPECT_EQ(item(3)[c.offset], c.value) << c.type;
    int32_t read;
    EXPECT_EQ(Get(3, c.type, &read), c.bytes) << c.type;
    EXPECT_EQ(read & 0xFF, c.value) << c.type;
    for (int i = 0; i < 284; ++i) {
      if (block() + i != item(3) + c.offset) {
        EXPECT_EQ(block()[i], 0) << c.type << " byte " << i;
      }
    }
  }
  ASSERT_EQ(Set(6, 11, 0x12345678), StatusCode::kOk);
  EXPECT_EQ(GetLE(item(6) + 16, 4), 0x12345678u);
  ASSERT_EQ(Set(0, 13, 17), StatusCode::kOk);
  EXPECT_EQ(GetDouble(item(0) + 24), 17.0);
  ASSERT_EQ(Set(0, 14, 1000000), StatusCode::kOk);
  EXPECT_EQ(GetDouble(item(0) + 32), 1000000.0);
}

TEST_F(ScheduleSettingsTest, TimeOfDayTravelsAsSeconds) {
  ASSERT_EQ(Set(2, 10, 3600), StatusCode::kOk);
  EXPECT_DOUBLE_EQ(GetDouble(item(2) + 8), 1.0 / 24);
  int32_t seconds;
  EXPECT_EQ(Get(2, 10, &seconds), 4);
  EXPECT_EQ(seconds, 3600);

  struct Case {
    double stored;
    int32_t seconds;
  };
  const Case cases[] = {
      {0.5, 43200},      {1.4 / 86400, 1},   {1.6 / 86400, 2},  {-60.0 / 86400, -60},
      {1e12, INT32_MAX}, {-1e12, INT32_MIN}, {std::nan(""), 0},
  };
  for (const Case& c : cases) {
    PutDouble(item(2) + 8, c.stored);
    EXPECT_EQ(Get(2, 10, &seconds), 4) << c.stored;
    EXPECT_EQ(seconds, c.seconds) << c.stored;
  }
  ASSERT_EQ(Set(2, 10, -1), StatusCode::kOk);
  EXPECT_DOUBLE_EQ(GetDouble(item(2) + 8), -1.0 / 86400) << "a signed count";
}

TEST_F(ScheduleSettingsTest, WholeNumbersAreSignedAndTruncated) {
  ASSERT_EQ(Set(1, 13, -5), StatusCode::kOk);
  EXPECT_EQ(GetDouble(item(1) + 24), -5.0);
  int32_t value;
  EXPECT_EQ(Get(1, 13, &value), 4);
  EXPECT_EQ(value, -5);
  for (auto [stored, read] : {std::pair{2.9, 2}, {-2.9, -2}, {3e10, INT32_MAX}}) {
    PutDouble(item(1) + 32, stored);
    EXPECT_EQ(Get(1, 14, &value), 4) << stored;
    EXPECT_EQ(value, read) << stored;
  }
}

TEST_F(ScheduleSettingsTest, BufferWidthChoosesTheNumberWidth) {
  item(0)[7] = 0xAB;
  uint32_t wide = 0xFFFFFFFF;
  EXPECT_EQ(GetScheduleField(block(), 0, 9, &wide, 4), 4);
  EXPECT_EQ(wide, 0xABu) << "the upper three bytes zero";
  uint8_t narrow = 0;
  PutLE(item(0) + 16, 4, 0x01020304);
  EXPECT_EQ(GetScheduleField(block(), 0, 11, &narrow, 1), 1);
  EXPECT_EQ(narrow, 0x04);
  EXPECT_EQ(GetScheduleField(block(), 0, 11, &narrow, 0), StatusCode::kBufferTooSmall);
  EXPECT_EQ(GetScheduleField(block(), 0, 8, nullptr, 1), StatusCode::kBufferTooSmall);
  const uint16_t two = 0x0102;
  ASSERT_EQ(SetScheduleField(block(), 0, 9, &two, 2), StatusCode::kOk);
  EXPECT_EQ(item(0)[7], 0x02) << "the low byte";
}

TEST_F(ScheduleSettingsTest, PackedBlockRoundTripsUnchanged) {
  for (int i = 0; i < 284; ++i) block()[i] = static_cast<uint8_t>(i * 31 + 7);
  std::array<uint8_t, 284> before;
  std::memcpy(before.data(), block(), 284);
  std::string packed(4096, '\0');
  const int32_t n = GetScheduleField(block(), 99, 15, packed.data(), 4096).value_or(0);
  ASSERT_GT(n, 0);
  packed.resize(n);
  EXPECT_EQ(GetScheduleField(block(), 0, 15, packed.data(), n - 1), StatusCode::kBufferTooSmall);
  ASSERT_EQ(SetScheduleField(block(), -7, 15, packed.data(), n), StatusCode::kOk);
  EXPECT_EQ(std::memcmp(block(), before.data(), 284), 0);
  std::memset(block(), 0, 284);
  ASSERT_EQ(SetScheduleField(block(), 0, 15, packed.data(), n), StatusCode::kOk);
  EXPECT_EQ(std::memcmp(block(), before.data(), 284), 0);
  EXPECT_TRUE(GuardsIntact());
}

TEST_F(ScheduleSettingsTest, ScheduleFlagIgnoresTheItem) {
  ASSERT_EQ(Set(INT32_MAX, 0, 1), StatusCode::kOk);
  EXPECT_EQ(block()[2], 1);
  int32_t value;
  EXPECT_EQ(Get(-1, 0, &value), 1);
  EXPECT_EQ(value & 0xFF, 1);
}

TEST_F(ScheduleSettingsTest, UnknownTypesAndItemsOutsideTheBlockChangeNothing) {
  for (int i = 0; i < 284; ++i) block()[i] = static_cast<uint8_t>(i);
  std::array<uint8_t, 284> before;
  std::memcpy(before.data(), block(), 284);
  int32_t value;
  for (int32_t type : {1, 16, -1, 255}) {
    EXPECT_EQ(Set(0, type, 1), StatusCode::kNotFound) << type;
    EXPECT_EQ(Get(0, type, &value), StatusCode::kNotFound) << type;
  }
  for (int32_t type = 2; type <= 14; ++type) {
    for (int32_t index : {-1, 7, 8, 100, INT32_MIN, INT32_MAX}) {
      EXPECT_EQ(Set(index, type, 1), StatusCode::kNotFound) << type << " item " << index;
      EXPECT_EQ(Get(index, type, &value), StatusCode::kNotFound) << type << " item " << index;
      EXPECT_EQ(value, 0x7777) << "nothing written for type " << type;
    }
  }
  EXPECT_EQ(std::memcmp(block(), before.data(), 284), 0);
  EXPECT_TRUE(GuardsIntact());
  EXPECT_EQ(Set(7, 2, 1).message(), "schedule item 7 is outside 0 to 6");
  EXPECT_EQ(Set(0, 16, 1).message(), "schedule setting type 16 is unknown");
}

TEST_F(ScheduleSettingsTest, EveryTypeAndItemStaysInsideTheBlock) {
  const std::array<uint8_t, 8> ones = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  for (int32_t type = -1; type <= 16; ++type) {
    for (int32_t index = -2; index <= 8; ++index) {
      SetScheduleField(block(), index, type, ones.data(), 8);
      std::array<uint8_t, 8> out;
      GetScheduleField(block(), index, type, out.data(), 8);
    }
  }
  EXPECT_TRUE(GuardsIntact());
}

}  // namespace
}  // namespace tarvelin
