#include "schema/setting_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/bytes.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr SettingShape kByte{SettingKind::kNumber, 1};
constexpr SettingShape kWord{SettingKind::kNumber, 2};
constexpr SettingShape kLong{SettingKind::kNumber, 4};
constexpr SettingShape kSigned{SettingKind::kNumber, 4, /*is_signed=*/true};
constexpr SettingShape kFlag{SettingKind::kFlag, 1};
constexpr SettingShape kDate{SettingKind::kDateTime, 8};
constexpr SettingShape kText5{SettingKind::kText, 5};
constexpr SettingShape kPacked{SettingKind::kText, 0};
constexpr SettingShape kBlock3{SettingKind::kBlock, 3};

Bytes DateBytes(double days) {
  Bytes bytes(8);
  PutDouble(bytes.data(), days);
  return bytes;
}

// A value goes to the bytes a set function takes and comes back from the
// same bytes as a get function writes them.
TEST(SettingValueTest, RoundTripsThroughBytes) {
  const struct {
    SettingShape shape;
    SettingValue value;
    Bytes bytes;
  } cases[] = {
      {kByte, SettingValue::Number(255), {0xFF, 0, 0, 0}},
      {kWord, SettingValue::Number(0xBEEF), {0xEF, 0xBE, 0, 0}},
      {kLong, SettingValue::Number(0xFFFFFFFF), {0xFF, 0xFF, 0xFF, 0xFF}},
      {kSigned, SettingValue::Number(-5), {0xFB, 0xFF, 0xFF, 0xFF}},
      {kSigned, SettingValue::Number(INT32_MIN), {0, 0, 0, 0x80}},
      {kFlag, SettingValue::Flag(true), {1}},
      {kFlag, SettingValue::Flag(false), {0}},
      {kDate, SettingValue::DateTime(47514.5), DateBytes(47514.5)},
      {kText5, SettingValue::Text("a b\xE9"), {'a', ' ', 'b', 0xE9}},
      {kText5, SettingValue::Text(""), {}},
      {kPacked, SettingValue::Text(std::string(70000, 'x')), Bytes(70000, 'x')},
      {kBlock3, SettingValue::Block({1, 2, 3}), {1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SettingKindName(c.shape.kind));
    const Result<Bytes> bytes = BytesOfSettingValue(c.shape, c.value);
    ASSERT_TRUE(bytes.ok()) << bytes.status().ToString();
    EXPECT_EQ(*bytes, c.bytes);
    const Result<SettingValue> back =
        SettingValueOfBytes(c.shape, c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
    ASSERT_TRUE(back.ok()) << back.status().ToString();
    EXPECT_TRUE(*back == c.value);
  }
}

TEST(SettingValueTest, ReadsWhatGetFunctionsWrite) {
  const Bytes two = {0x34, 0x12};
  EXPECT_TRUE(*SettingValueOfBytes(kLong, two.data(), 2) == SettingValue::Number(0x1234))
      << "a number of fewer bytes is zero-extended";
  const Bytes unsigned_max = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(*SettingValueOfBytes(kLong, unsigned_max.data(), 4) ==
              SettingValue::Number(4294967295));
  const Bytes five = {5};
  EXPECT_TRUE(*SettingValueOfBytes(kFlag, five.data(), 1) == SettingValue::Flag(true))
      << "any byte but 0 is on";
  const Bytes short_date(7);
  EXPECT_EQ(SettingValueOfBytes(kDate, short_date.data(), 7).status(), StatusCode::kCorruption);
  EXPECT_EQ(SettingValueOfBytes(kLong, nullptr, 0).status(), StatusCode::kCorruption);
}

TEST(SettingValueTest, RefusesWhatDoesNotFit) {
  const struct {
    SettingShape shape;
    SettingValue value;
    std::string message;
  } cases[] = {
      {kByte, SettingValue::Number(256), "256 does not fit in 1 byte (0 to 255)"},
      {kWord, SettingValue::Number(65536), "65536 does not fit in 2 bytes (0 to 65535)"},
      {kLong, SettingValue::Number(4294967296), "4294967296 does not fit in 4 bytes"},
      {kLong, SettingValue::Number(-1), "-1 does not fit in 4 bytes (0 to 4294967295)"},
      {kSigned, SettingValue::Number(2147483648), "2147483648 is outside -2147483648 to"},
      {kSigned, SettingValue::Number(-2147483649), "-2147483649 is outside"},
      {kText5, SettingValue::Text("abcdef"),
       "a text of 6 characters is longer than the 5 the setting holds"},
      {kBlock3, SettingValue::Block({1, 2, 3, 4}),
       "a block of 4 bytes is longer than the 3 the setting holds"},
      {kLong, SettingValue::Text("1"), "the setting takes a number, not a text"},
      {kFlag, SettingValue::Number(1), "the setting takes a flag, not a number"},
      {kDate, SettingValue::Text("2030-01-01"), "the setting takes a date-time, not a text"},
  };
  for (const auto& c : cases) {
    const Status fits = CheckSettingValueFits(c.shape, c.value);
    EXPECT_EQ(fits, StatusCode::kInvalidArgument) << c.message;
    EXPECT_EQ(fits.message().substr(0, c.message.size()), c.message);
    EXPECT_EQ(BytesOfSettingValue(c.shape, c.value).status(), StatusCode::kInvalidArgument);
  }
  EXPECT_TRUE(CheckSettingValueFits(kBlock3, SettingValue::Block({1})).ok())
      << "a shorter block replaces the start";
  EXPECT_TRUE(CheckSettingValueFits(kSigned, SettingValue::Number(-2147483648)).ok());
}

// A value without a fixed size may outgrow the first buffer: the read
// tries larger ones. Other failures come back as they are.
TEST(SettingValueTest, ReadGrowsTheBufferForLongTexts) {
  const std::string long_text(100000, 'p');
  int calls = 0;
  const Result<SettingValue> text =
      ReadSettingValue(kPacked, [&](void* buffer, int32_t size) -> Result<int32_t> {
        ++calls;
        if (size < static_cast<int32_t>(long_text.size())) return Status::BufferTooSmall("more");
        std::memcpy(buffer, long_text.data(), long_text.size());
        return static_cast<int32_t>(long_text.size());
      });
  ASSERT_TRUE(text.ok()) << text.status().ToString();
  EXPECT_EQ(text->text(), long_text);
  EXPECT_GT(calls, 1);

  calls = 0;
  const Result<SettingValue> number =
      ReadSettingValue(kLong, [&](void*, int32_t) -> Result<int32_t> {
        ++calls;
        return Status::BufferTooSmall("never enough");
      });
  EXPECT_EQ(number.status(), StatusCode::kBufferTooSmall);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ReadSettingValue(kText5,
                             [](void*, int32_t) -> Result<int32_t> {
                               return Status::NotFound("setting 7 is unknown");
                             })
                .status()
                .message(),
            "setting 7 is unknown");
}

TEST(SettingValueTest, WriteHandsOnlyFittingValuesToTheSetFunction) {
  Bytes received;
  int calls = 0;
  const SettingBufferSet set = [&](const void* buffer, int32_t size) {
    ++calls;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    received.assign(bytes, bytes + size);
    return Status::Ok();
  };
  EXPECT_EQ(WriteSettingValue(kByte, SettingValue::Number(300), set), StatusCode::kInvalidArgument);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(WriteSettingValue(kWord, SettingValue::Number(513), set).ok());
  EXPECT_EQ(received, (Bytes{1, 2, 0, 0}));
  const Status refused = WriteSettingValue(
      kFlag, SettingValue::Flag(true),
      [](const void*, int32_t) { return Status::Refused("setting 170 can only be read"); });
  EXPECT_EQ(refused.message(), "setting 170 can only be read");
}

}  // namespace
}  // namespace tarvelin
