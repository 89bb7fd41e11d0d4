#include "schema/field_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/bytes.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

constexpr uint8_t kFill = 0x5A;
constexpr int kRecordSize = 64;
using Record = std::array<uint8_t, kRecordSize>;

std::string LE(uint32_t value, int width) {
  std::string bytes(static_cast<size_t>(width), '\0');
  PutLE(reinterpret_cast<uint8_t*>(bytes.data()), width, value);
  return bytes;
}

std::string DoubleBytes(double value) {
  std::string bytes(8, '\0');
  PutDouble(reinterpret_cast<uint8_t*>(bytes.data()), value);
  return bytes;
}

Record Filled() {
  Record record;
  record.fill(kFill);
  return record;
}

Status Set(Record& record, const FieldSlot& field, const std::string& value) {
  return SetField(record.data(), field, value.data(), static_cast<int32_t>(value.size()));
}

// The value a get gives, or "<failed>".
std::string Get(const Record& record, const FieldSlot& field, int32_t size = 256) {
  std::vector<char> buffer(static_cast<size_t>(size));
  const Result<int32_t> n = GetField(record.data(), field, buffer.data(), size);
  return n.ok() ? std::string(buffer.data(), static_cast<size_t>(*n)) : "<failed>";
}

TEST(FieldCodec, EveryKindRoundTripsAndStaysInsideItsField) {
  struct Case {
    const char* name;
    FieldSlot field;
    std::string given;
    int32_t get_size;  // the caller's buffer on the get
    std::string read_back;
  };
  const Case cases[] = {
      {"flag as given", {FieldKind::kFlag, 9, 1}, "\x07", 1, "\x07"},
      {"flag from four bytes", {FieldKind::kFlag, 9, 1}, LE(0x100, 4), 1, "\x01"},
      {"inverted flag", {FieldKind::kInvertedFlag, 9, 1}, "\x01", 1, "\x01"},
      {"bit on", {FieldKind::kBit, 9, 1, 3}, "\x01", 1, "\x01"},
      {"bit off", {FieldKind::kBit, 9, 1, 4}, std::string(1, '\0'), 1, std::string(1, '\0')},
      {"inverted bit", {FieldKind::kInvertedBit, 9, 1, 0}, "\x01", 1, "\x01"},
      {"number of 1 byte", {FieldKind::kNumber, 9, 1}, LE(0x1234, 4), 4, LE(0x34, 4)},
      {"number of 2 bytes", {FieldKind::kNumber, 9, 2}, LE(0x12345, 4), 4, LE(0x2345, 4)},
      {"number of 4 bytes", {FieldKind::kNumber, 9, 4}, LE(0x89ABCDEF, 4), 4, LE(0x89ABCDEF, 4)},
      {"number from 2 bytes", {FieldKind::kNumber, 9, 4}, LE(0xFFFF, 2), 4, LE(0xFFFF, 4)},
      {"number read narrower", {FieldKind::kNumber, 9, 4}, LE(0x01020304, 4), 2, LE(0x0304, 2)},
      {"number read wider", {FieldKind::kNumber, 9, 2}, LE(0xBEEF, 2), 8, LE(0xBEEF, 4)},
      {"text trimmed", {FieldKind::kText, 9, 8}, "  hello \r\n", 256, "hello"},
      {"text cut to capacity", {FieldKind::kText, 9, 8}, "abcdefghij", 256, "abcdefg"},
      {"character", {FieldKind::kCharacter, 9, 1}, "xyz", 256, "x"},
      {"no character", {FieldKind::kCharacter, 9, 1}, "", 256, std::string(1, '\0')},
      {"block start replaced", {FieldKind::kBlock, 9, 6}, "abc", 256, "abc\x5A\x5A\x5A"},
      {"block cut to its width", {FieldKind::kBlock, 9, 3}, "abcdef", 256, "abc"},
      {"date", {FieldKind::kDate, 9, 8}, DoubleBytes(45351.25), 8, DoubleBytes(45351.25)},
      {"time of day", {FieldKind::kTimeOfDay, 9, 8}, LE(3600, 4), 4, LE(3600, 4)},
      {"negative whole number", {FieldKind::kWholeNumber, 9, 8}, LE(-5, 4), 4, LE(-5, 4)},
  };
  for (const Case& c : cases) {
    Record record = Filled();
    ASSERT_EQ(Set(record, c.field, c.given), StatusCode::kOk) << c.name;
    EXPECT_EQ(Get(record, c.field, c.get_size), c.read_back) << c.name;
    for (int i = 0; i < kRecordSize; ++i) {
      const bool inside = i >= c.field.offset && i < c.field.offset + c.field.width;
      if (!inside) {
        EXPECT_EQ(record[i], kFill) << c.name << " wrote byte " << i;
      }
    }
    const bool one_bit = c.field.kind == FieldKind::kBit || c.field.kind == FieldKind::kInvertedBit;
    if (one_bit) {
      const auto others = static_cast<uint8_t>(~(1u << c.field.bit));
      EXPECT_EQ(record[9] & others, kFill & others) << c.name << " changed a neighbouring bit";
    }
  }
}

TEST(FieldCodec, StoredFormsOfTheConvertedKinds) {
  Record record = Filled();
  ASSERT_EQ(Set(record, {FieldKind::kInvertedFlag, 0, 1}, "\x01"), StatusCode::kOk);
  EXPECT_EQ(record[0], 0);
  ASSERT_EQ(Set(record, {FieldKind::kInvertedBit, 1, 1, 6}, "\x01"), StatusCode::kOk);
  EXPECT_EQ(record[1], kFill & ~0x40) << "the bit refuses what the flag allows";
  ASSERT_EQ(Set(record, {FieldKind::kText, 2, 8}, "abcdefghij"), StatusCode::kOk);
  EXPECT_EQ(record[2], 7) << "the length byte holds the capacity";
  ASSERT_EQ(Set(record, {FieldKind::kTimeOfDay, 16, 8}, LE(43200, 4)), StatusCode::kOk);
  EXPECT_EQ(GetDouble(record.data() + 16), 0.5) << "a fraction of a day";
  ASSERT_EQ(Set(record, {FieldKind::kWholeNumber, 24, 8}, LE(1000000, 4)), StatusCode::kOk);
  EXPECT_EQ(GetDouble(record.data() + 24), 1000000.0);
  PutDouble(record.data() + 32, -2.9);
  EXPECT_EQ(Get(record, {FieldKind::kWholeNumber, 32, 8}, 4), LE(static_cast<uint32_t>(-2), 4))
      << "truncated toward zero";
}

TEST(FieldCodec, GetsIntoBuffersTooSmallWriteNothing) {
  Record record = Filled();
  PutPString(record.data() + 9, 7, "hello");
  struct Case {
    FieldSlot field;
    int32_t size;  // one short of what the value needs
  };
  const Case cases[] = {
      {{FieldKind::kFlag, 0, 1}, 0},        {{FieldKind::kInvertedFlag, 0, 1}, 0},
      {{FieldKind::kBit, 0, 1, 2}, 0},      {{FieldKind::kInvertedBit, 0, 1, 2}, 0},
      {{FieldKind::kNumber, 0, 4}, 0},      {{FieldKind::kText, 9, 8}, 4},
      {{FieldKind::kCharacter, 0, 1}, 0},   {{FieldKind::kBlock, 0, 16}, 15},
      {{FieldKind::kDate, 0, 8}, 7},        {{FieldKind::kTimeOfDay, 0, 8}, 0},
      {{FieldKind::kWholeNumber, 0, 8}, 0},
  };
  std::array<uint8_t, 32> untouched;
  untouched.fill(0xEE);
  for (const Case& c : cases) {
    std::array<uint8_t, 32> buffer = untouched;
    EXPECT_EQ(GetField(record.data(), c.field, buffer.data(), c.size), StatusCode::kBufferTooSmall)
        << static_cast<int>(c.field.kind);
    EXPECT_EQ(buffer, untouched) << static_cast<int>(c.field.kind);
    EXPECT_EQ(GetField(record.data(), c.field, nullptr, c.size + 1), StatusCode::kBufferTooSmall)
        << "a null buffer holds nothing: " << static_cast<int>(c.field.kind);
  }
  std::array<uint8_t, 8> date;
  EXPECT_EQ(GetField(record.data(), {FieldKind::kDate, 0, 8}, date.data(), 4).status().message(),
            "the value needs 8 bytes, the buffer has 4");
}

TEST(FieldCodec, ShortDatesAreRefusedAndChangeNothing) {
  Record record = Filled();
  const std::string date = DoubleBytes(46000.5);
  const Record before = record;
  for (int32_t size : {0, 4, 7}) {
    const Status status = SetField(record.data(), {FieldKind::kDate, 8, 8}, date.data(), size);
    EXPECT_EQ(status, StatusCode::kBufferTooSmall) << size;
  }
  EXPECT_EQ(SetField(record.data(), {FieldKind::kDate, 8, 8}, nullptr, 8),
            StatusCode::kBufferTooSmall);
  EXPECT_EQ(record, before) << "a short buffer must not date the record to 1899";
  EXPECT_EQ(SetField(record.data(), {FieldKind::kDate, 8, 8}, date.data(), 8).message(), "");
  EXPECT_EQ(GetDouble(record.data() + 8), 46000.5);
}

TEST(FieldCodec, PackedRegionRoundTripsAndUndecodableTextLeavesItAlone) {
  Record record;
  for (int i = 0; i < kRecordSize; ++i) record[i] = static_cast<uint8_t>(i * 7);
  const FieldSlot packed{FieldKind::kPacked, 16, 32};
  const std::string text = Get(record, packed, 4096);
  ASSERT_NE(text, "<failed>");
  EXPECT_EQ(Get(record, packed, static_cast<int32_t>(text.size()) - 1), "<failed>");

  const Record original = record;
  std::memset(record.data() + 16, 0, 32);
  ASSERT_EQ(Set(record, packed, text), StatusCode::kOk);
  EXPECT_EQ(record, original);

  for (const std::string& damaged :
       {std::string("not base64 of zlib data!"), text.substr(0, text.size() / 2), std::string()}) {
    ASSERT_EQ(Set(record, packed, damaged), StatusCode::kOk) << "no error reaches the caller";
    EXPECT_EQ(record, original) << damaged;
  }
}

TEST(FieldCodec, BlockMayBeSetFromInsideTheRecord) {
  Record record;
  for (int i = 0; i < kRecordSize; ++i) record[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(SetField(record.data(), {FieldKind::kBlock, 4, 8}, record.data(), 8), StatusCode::kOk);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(record[4 + i], i) << "overlapping block byte " << i;
}

}  // namespace
}  // namespace tarvelin
