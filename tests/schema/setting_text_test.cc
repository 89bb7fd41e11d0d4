#include "schema/setting_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/status_testing.h"

namespace tarvelin {
namespace {

constexpr SettingShape kByte{SettingKind::kNumber, 1};
constexpr SettingShape kLong{SettingKind::kNumber, 4};
constexpr SettingShape kSigned{SettingKind::kNumber, 4, /*is_signed=*/true};
constexpr SettingShape kFlag{SettingKind::kFlag, 1};
constexpr SettingShape kDate{SettingKind::kDateTime, 8};
constexpr SettingShape kText5{SettingKind::kText, 5};
constexpr SettingShape kBlock3{SettingKind::kBlock, 3};

// 2030-01-31 is day 47514.
constexpr double kDay = 47514;

TEST(SettingTextTest, ParsesWhatPeopleType) {
  const struct {
    SettingShape shape;
    std::string text;
    SettingValue value;
  } cases[] = {
      {kLong, "2525", SettingValue::Number(2525)},
      {kLong, " 0x1F ", SettingValue::Number(31)},
      {kLong, "4294967295", SettingValue::Number(4294967295)},
      {kByte, "0XFF", SettingValue::Number(255)},
      {kSigned, "-5", SettingValue::Number(-5)},
      {kSigned, "-2147483648", SettingValue::Number(INT32_MIN)},
      {kFlag, "1", SettingValue::Flag(true)},
      {kFlag, " On", SettingValue::Flag(true)},
      {kFlag, "TRUE", SettingValue::Flag(true)},
      {kFlag, "yes", SettingValue::Flag(true)},
      {kFlag, "0", SettingValue::Flag(false)},
      {kFlag, "off", SettingValue::Flag(false)},
      {kDate, "2030-01-31", SettingValue::DateTime(kDay)},
      {kDate, "2030-01-31 12:30", SettingValue::DateTime(kDay + 0.5 + 0.5 / 24)},
      {kDate, "2030-01-31 06:00:00", SettingValue::DateTime(kDay + 0.25)},
      {kDate, "47514.5", SettingValue::DateTime(kDay + 0.5)},
      {kText5, " a b ", SettingValue::Text(" a b ")},
      {kText5, "", SettingValue::Text("")},
      {kBlock3, "0aFf", SettingValue::Block({0x0A, 0xFF})},
      {kBlock3, "", SettingValue::Block({})},
  };
  for (const auto& c : cases) {
    const Result<SettingValue> value = ParseSettingValue(c.shape, c.text);
    ASSERT_TRUE(value.ok()) << c.text << ": " << value.status().ToString();
    EXPECT_TRUE(*value == c.value) << c.text;
  }
}

TEST(SettingTextTest, RefusalsSayWhy) {
  const struct {
    SettingShape shape;
    std::string text;
    std::string message;
  } cases[] = {
      {kLong, "many", "not a number: many"},
      {kLong, "", "not a number: "},
      {kLong, "12x", "not a number: 12x"},
      {kLong, "-1", "not a number: -1"},
      {kLong, "0x", "not a number: 0x"},
      {kSigned, "many", "not a whole number: many"},
      {kSigned, "0x-1", "not a whole number: 0x-1"},
      {kByte, "0x1ff", "511 does not fit in 1 byte (0 to 255)"},
      {kLong, "4294967296", "4294967296 does not fit in 4 bytes (0 to 4294967295)"},
      {kLong, "99999999999999999999", "99999999999999999999 does not fit in any setting"},
      {kSigned, "2147483648", "2147483648 is outside -2147483648 to 2147483647"},
      {kFlag, "2", "not a flag (1/0, true/false, on/off): 2"},
      {kFlag, "256", "not a flag (1/0, true/false, on/off): 256"},
      {kFlag, "maybe", "not a flag (1/0, true/false, on/off): maybe"},
      {kDate, "2030-02-30", "not a date (yyyy-mm-dd [hh:mm[:ss]]) or day number: 2030-02-30"},
      {kDate, "2030-01-31 25:00", "not a date (yyyy-mm-dd [hh:mm[:ss]]) or day number"},
      {kDate, "tomorrow", "not a date (yyyy-mm-dd [hh:mm[:ss]]) or day number: tomorrow"},
      {kText5, "abcdef", "a text of 6 characters is longer than the 5 the setting holds"},
      {kBlock3, "abc", "a block is given as an even number of hex digits"},
      {kBlock3, "0g", "not hex: 0g"},
      {kBlock3, "01020304", "a block of 4 bytes is longer than the 3 the setting holds"},
  };
  for (const auto& c : cases) {
    const Result<SettingValue> value = ParseSettingValue(c.shape, c.text);
    EXPECT_EQ(value.status(), StatusCode::kInvalidArgument) << c.text;
    EXPECT_EQ(value.status().message().substr(0, c.message.size()), c.message) << c.text;
  }
}

TEST(SettingTextTest, ValuesReadAsTheyAreTyped) {
  const struct {
    SettingShape shape;
    std::string text;
  } cases[] = {
      {kLong, "4294967295"},
      {kSigned, "-2147483648"},
      {kFlag, "1"},
      {kFlag, "0"},
      {kDate, "2031-12-24 18:30:00"},
      {kDate, "1899-12-30 00:00:00"},
      {kText5, "caf\xE9"},
      {kBlock3, "00aaff"},
  };
  for (const auto& c : cases) {
    const Result<SettingValue> value = ParseSettingValue(c.shape, c.text);
    ASSERT_TRUE(value.ok()) << c.text;
    EXPECT_EQ(SettingValueText(*value), c.text);
  }
}

TEST(SettingTextTest, ADateTimeThatIsNoDateReadsAsItsNumber) {
  EXPECT_EQ(DateTimeText(-700000), "-700000");
  EXPECT_EQ(DateTimeText(1e10), "1e+10");
  EXPECT_EQ(DateTimeText(std::nan("")), "nan");
}

}  // namespace
}  // namespace tarvelin
