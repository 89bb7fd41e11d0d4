#include "schema/marshal.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "foundation/base64.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

TEST(PutText, WritesNoTerminatorAndRefusesShortBuffers) {
  std::array<char, 12> buffer;
  buffer.fill('#');
  EXPECT_EQ(PutText("abcdefghij", buffer.data(), 9), StatusCode::kBufferTooSmall);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(PutText("abcdefghij", buffer.data(), 10), 10);
  EXPECT_EQ(std::string(buffer.data(), 10), "abcdefghij");
  EXPECT_EQ(buffer[10], '#');
  EXPECT_EQ(PutText("", nullptr, 0), 0);
  EXPECT_EQ(PutText("x", nullptr, 5), StatusCode::kBufferTooSmall);
  EXPECT_EQ(PutText("abcdefghij", buffer.data(), 9).status().message(),
            "the value needs 10 bytes, the buffer has 9");
  EXPECT_EQ(PutText("x", nullptr, 5).status().message(), "the value needs 1 byte, no buffer");
}

TEST(PutNumber, CallerSizeChoosesWidth) {
  struct Case {
    uint32_t value;
    int32_t size;
    int32_t written;  // 0 when the buffer is refused
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {300, 1, 1, {0x2C}},
      {300, 2, 2, {0x2C, 0x01}},
      {300, 8, 4, {0x2C, 0x01, 0, 0}},
      {0xFF, 4, 4, {0xFF, 0, 0, 0}},
      {7, 0, 0, {}},
      {7, -4, 0, {}},
  };
  for (const Case& c : cases) {
    std::array<uint8_t, 8> buffer;
    buffer.fill(0xEE);
    const Result<int32_t> result = PutNumber(c.value, buffer.data(), c.size);
    if (c.written == 0) {
      EXPECT_EQ(result, StatusCode::kBufferTooSmall) << c.value << "/" << c.size;
    } else {
      EXPECT_EQ(result, c.written) << c.value << "/" << c.size;
    }
    for (size_t i = 0; i < c.bytes.size(); ++i) EXPECT_EQ(buffer[i], c.bytes[i]);
    EXPECT_EQ(buffer[c.bytes.size()], 0xEE) << "wrote past the value";
  }
}

TEST(PutFlagDateBlock, RefuseBuffersTooSmall) {
  uint8_t byte = 9;
  EXPECT_EQ(PutFlag(5, &byte, 0), StatusCode::kBufferTooSmall);
  EXPECT_EQ(byte, 9);
  EXPECT_EQ(PutFlag(5, &byte, 1), 1);
  EXPECT_EQ(byte, 5);

  std::array<uint8_t, 8> date{};
  EXPECT_EQ(PutDate(1.5, date.data(), 7), StatusCode::kBufferTooSmall);
  EXPECT_EQ(PutDate(1.5, date.data(), 8), 8);
  double back;
  std::memcpy(&back, date.data(), 8);
  EXPECT_EQ(back, 1.5);

  const std::array<uint8_t, 4> block{1, 2, 3, 4};
  std::array<uint8_t, 4> out{};
  EXPECT_EQ(PutBlock(block.data(), 4, out.data(), 3), StatusCode::kBufferTooSmall);
  EXPECT_EQ(PutBlock(block.data(), 4, out.data(), 4), 4);
  EXPECT_EQ(out, block);
}

TEST(TakeText, TakesExactlySizeBytesAndTrimsControls) {
  const char bytes[] = {'a', 'b', ' ', 'c', ' ', '\0'};
  EXPECT_EQ(TakeText(bytes, 6), "ab c");
  const char embedded[] = {'a', '\0', 'b'};
  EXPECT_EQ(TakeText(embedded, 3), std::string("a\0b", 3));
  EXPECT_EQ(TakeText(nullptr, 10), "");
  EXPECT_EQ(TakeText("abc", -1), "");
}

TEST(TakeFlag, SizeDecidesHowTheBytesAreRead) {
  const uint8_t four[] = {0, 1, 0, 0};
  EXPECT_EQ(TakeFlag(four, 4), 1);
  const uint8_t two[] = {0, 0};
  EXPECT_EQ(TakeFlag(two, 2), 0);
  const uint8_t seven = 7;
  EXPECT_EQ(TakeFlag(&seven, 1), 7);
  const uint8_t three[] = {0, 0, 5};
  EXPECT_EQ(TakeFlag(three, 3), 0) << "other sizes take the first byte as it is";
  EXPECT_EQ(TakeFlag(nullptr, 1), 0);
}

TEST(TakeNumber, ZeroExtendsWithoutSign) {
  const uint8_t ff[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(TakeNumber(ff, 2), 65535u);
  EXPECT_EQ(TakeNumber(ff, 1), 255u);
  EXPECT_EQ(TakeNumber(ff, 5), 0xFFFFFFFFu);
  EXPECT_EQ(TakeNumber(ff, 0), 0u);
  EXPECT_EQ(TakeNumber(nullptr, 4), 0u);
}

TEST(TakeDate, ShortBufferGivesMinusThree) {
  const double value = 45351.25;
  EXPECT_EQ(TakeDate(&value, 8), 45351.25);
  EXPECT_EQ(TakeDate(&value, 4), -3.0);
}

TEST(TakeBlock, ReplacesOnlyTheStart) {
  std::array<uint8_t, 6> block{1, 1, 1, 1, 1, 1};
  const uint8_t input[] = {9, 9, 9, 9, 9, 9, 9, 9};
  TakeBlock(input, 2, block.data(), 6);
  EXPECT_EQ(block, (std::array<uint8_t, 6>{9, 9, 1, 1, 1, 1}));
  TakeBlock(input, 8, block.data(), 6);
  EXPECT_EQ(block, (std::array<uint8_t, 6>{9, 9, 9, 9, 9, 9}));
}

TEST(PackRecord, RoundTripsAndToleratesDamage) {
  std::vector<uint8_t> record(300);
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 7);
  const std::string packed = PackRecord(record.data(), 300);

  std::vector<uint8_t> target(300, 0);
  UnpackRecord(packed.data(), static_cast<int32_t>(packed.size()), target.data(), 300);
  EXPECT_EQ(target, record);

  // Line breaks and spaces inside the text are skipped.
  std::string spaced = packed.substr(0, 10) + "\r\n " + packed.substr(10);
  std::vector<uint8_t> again(300, 0);
  UnpackRecord(spaced.data(), static_cast<int32_t>(spaced.size()), again.data(), 300);
  EXPECT_EQ(again, record);

  // A larger record keeps its tail; a smaller one takes what fits.
  std::vector<uint8_t> larger(310, 0xAB);
  UnpackRecord(packed.data(), static_cast<int32_t>(packed.size()), larger.data(), 310);
  EXPECT_TRUE(std::equal(record.begin(), record.end(), larger.begin()));
  EXPECT_EQ(larger[305], 0xAB);

  // Damaged input leaves the record untouched.
  std::vector<uint8_t> untouched(300, 0x11);
  const std::string cut = packed.substr(0, packed.size() / 2);
  UnpackRecord(cut.data(), static_cast<int32_t>(cut.size()), untouched.data(), 300);
  EXPECT_EQ(untouched, std::vector<uint8_t>(300, 0x11));
  UnpackRecord("not base64 at all!", 18, untouched.data(), 300);
  EXPECT_EQ(untouched, std::vector<uint8_t>(300, 0x11));
}

}  // namespace
}  // namespace tarvelin
