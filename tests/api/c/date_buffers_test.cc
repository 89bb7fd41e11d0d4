// The date buffers through the C API; they need no Init.
#include "api/c/date_buffers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tarvelin/api.h"

namespace tarvelin {
namespace {

double Value(const uint8_t* buffer) {
  double value;
  std::memcpy(&value, buffer, 8);
  return value;
}

TEST(DateBuffers, SetBufferDate) {
  struct Case {
    int32_t year, month, day;
    double value;
  };
  const Case cases[] = {
      {2024, 2, 29, 45351.0},
      {2024, 2, 30, 0.0},
      {2023, 2, 29, 0.0},
      {1899, 12, 30, 0.0},  // day zero is a valid date whose value is 0.0
      {1899, 12, 29, -1.0},
      {1, 1, 1, -693593.0},
      {9999, 12, 31, 2958465.0},
      {0, 1, 1, 0.0},
      {10000, 1, 1, 0.0},
      {2024, 13, 1, 0.0},
      {2024, 0, 1, 0.0},
      {65536 + 2024, 2, 29, 45351.0},  // the parts are 16-bit
      {-1, 1, 1, 0.0},
  };
  for (const Case& c : cases) {
    uint8_t buffer[8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(::SetBufferDate(buffer, 8, c.year, c.month, c.day), 0);
    EXPECT_EQ(Value(buffer), c.value) << c.year << "-" << c.month << "-" << c.day;
  }
}

TEST(DateBuffers, SetBufferTime) {
  struct Case {
    int32_t hour, minute, second, millisecond;
    double value;
  };
  const Case cases[] = {
      {12, 0, 0, 0, 0.5},   {6, 0, 0, 0, 0.25}, {23, 59, 59, 999, 86399999.0 / 86400000.0},
      {24, 0, 0, 0, 0.0},   {0, 60, 0, 0, 0.0}, {0, 0, 60, 0, 0.0},
      {0, 0, 0, 1000, 0.0},
  };
  for (const Case& c : cases) {
    uint8_t buffer[8];
    EXPECT_EQ(::SetBufferTime(buffer, 8, c.hour, c.minute, c.second, c.millisecond), 0);
    EXPECT_EQ(Value(buffer), c.value) << c.hour << ":" << c.minute;
  }
}

TEST(DateBuffers, GetBufferDateAndTime) {
  uint8_t buffer[8];
  double value = 45351.5;
  std::memcpy(buffer, &value, 8);
  int32_t year = -1, month = -1, day = -1;
  ASSERT_EQ(::GetBufferDate(buffer, 8, &year, &month, &day), 0);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20240229);
  int32_t hour = -1, minute = -1, second = -1, ms = -1;
  ASSERT_EQ(::GetBufferTime(buffer, 8, &hour, &minute, &second, &ms), 0);
  EXPECT_EQ(hour, 12);
  EXPECT_EQ(minute + second + ms, 0);

  ::SetBufferDate(buffer, 8, 1, 1, 1);
  ::GetBufferDate(buffer, 8, &year, &month, &day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 10101);
  ::SetBufferDate(buffer, 8, 9999, 12, 31);
  ::GetBufferDate(buffer, 8, &year, &month, &day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 99991231);
}

TEST(DateBuffers, UndecodableValuesGiveZeros) {
  for (double value : {-693594.0, 2958466.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
    uint8_t buffer[8];
    std::memcpy(buffer, &value, 8);
    int32_t year = -1, month = -1, day = -1;
    EXPECT_EQ(::GetBufferDate(buffer, 8, &year, &month, &day), 0) << value;
    EXPECT_EQ(year | month | day, 0) << value;
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  uint8_t buffer[8];
  std::memcpy(buffer, &nan, 8);
  int32_t hour = -1, minute = -1, second = -1, ms = -1;
  EXPECT_EQ(::GetBufferTime(buffer, 8, &hour, &minute, &second, &ms), 0);
  EXPECT_EQ(hour | minute | second | ms, 0);
}

TEST(DateBuffers, SmallBuffersAndNullPointers) {
  uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const uint8_t untouched[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(::SetBufferDate(buffer, 7, 2024, 2, 29), -3);
  EXPECT_EQ(::SetBufferTime(buffer, 7, 12, 0, 0, 0), -3);
  EXPECT_EQ(std::memcmp(buffer, untouched, 8), 0) << "nothing written";
  EXPECT_EQ(::SetBufferDate(nullptr, 8, 2024, 2, 29), -3);
  EXPECT_EQ(::SetBufferTime(nullptr, 8, 12, 0, 0, 0), -3);

  int32_t year = -1, month = -1, day = -1;
  EXPECT_EQ(::GetBufferDate(buffer, 7, &year, &month, &day), -3);
  EXPECT_EQ(year | month | day, 0) << "outputs are cleared first";
  int32_t hour = -1, minute = -1, second = -1, ms = -1;
  EXPECT_EQ(::GetBufferTime(buffer, 0, &hour, &minute, &second, &ms), -3);
  EXPECT_EQ(hour | minute | second | ms, 0);
  EXPECT_EQ(::GetBufferDate(nullptr, 8, &year, &month, &day), -3);

  double value = 45351.75;
  std::memcpy(buffer, &value, 8);
  EXPECT_EQ(::GetBufferDate(buffer, 8, nullptr, &month, nullptr), 0);
  EXPECT_EQ(month, 2);
  EXPECT_EQ(::GetBufferTime(buffer, 8, &hour, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(hour, 18);
}

}  // namespace
}  // namespace tarvelin
