#include "foundation/zlib_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> MixedData(size_t length) {
  std::vector<uint8_t> data(length);
  uint32_t state = 12345;
  for (size_t i = 0; i < length; ++i) {
    state = state * 1103515245 + 12345;
    // Half noise, half runs, so the result neither shrinks to nothing nor grows.
    data[i] = (i / 1000) % 2 ? static_cast<uint8_t>(state >> 24) : static_cast<uint8_t>(i / 100);
  }
  return data;
}

TEST(ZlibCodecTest, RoundTrips) {
  for (size_t length : {size_t{0}, size_t{1}, size_t{100}, size_t{65536}, size_t{1000000}}) {
    const std::vector<uint8_t> data = MixedData(length);
    const std::vector<uint8_t> packed = ZlibCompress(data.data(), data.size());
    ASSERT_FALSE(packed.empty());
    std::vector<uint8_t> unpacked = {1, 2, 3};
    ASSERT_TRUE(ZlibDecompress(packed.data(), packed.size(), &unpacked)) << length;
    EXPECT_EQ(unpacked, data) << length;
  }
}

TEST(ZlibCodecTest, WritesTheZlibStreamFormat) {
  const std::vector<uint8_t> packed = ZlibCompress(nullptr, 0);
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(packed[0], 0x78);  // deflate, 32K window
  EXPECT_EQ((packed[0] * 256 + packed[1]) % 31, 0);
}

// Far larger output than input: the output has to keep growing.
TEST(ZlibCodecTest, HighlyCompressibleDataExpands) {
  const std::vector<uint8_t> data(4 * 1024 * 1024, 'a');
  const std::vector<uint8_t> packed = ZlibCompress(data.data(), data.size());
  EXPECT_LT(packed.size(), 20 * 1024u);
  std::vector<uint8_t> unpacked;
  ASSERT_TRUE(ZlibDecompress(packed.data(), packed.size(), &unpacked));
  EXPECT_EQ(unpacked, data);
}

TEST(ZlibCodecTest, TruncatedStreamFails) {
  const std::vector<uint8_t> data = MixedData(50000);
  const std::vector<uint8_t> packed = ZlibCompress(data.data(), data.size());
  for (size_t cut :
       {size_t{0}, size_t{1}, size_t{2}, packed.size() / 2, packed.size() - 4, packed.size() - 1}) {
    std::vector<uint8_t> out = {9};
    EXPECT_FALSE(ZlibDecompress(packed.data(), cut, &out)) << cut;
    EXPECT_TRUE(out.empty()) << cut;
  }
}

TEST(ZlibCodecTest, DamagedStreamFails) {
  const std::vector<uint8_t> data = MixedData(50000);
  std::vector<uint8_t> packed = ZlibCompress(data.data(), data.size());
  std::vector<uint8_t> out;
  const std::vector<uint8_t> garbage = Bytes("this is not a zlib stream at all");
  EXPECT_FALSE(ZlibDecompress(garbage.data(), garbage.size(), &out));
  EXPECT_TRUE(out.empty());

  // A changed byte in the checksum at the end.
  packed.back() ^= 0x01;
  EXPECT_FALSE(ZlibDecompress(packed.data(), packed.size(), &out));
  EXPECT_TRUE(out.empty());

  // Raw deflate without the zlib header is not accepted either.
  packed.back() ^= 0x01;
  EXPECT_FALSE(ZlibDecompress(packed.data() + 2, packed.size() - 2, &out));
  EXPECT_TRUE(out.empty());
}

TEST(ZlibCodecTest, BytesAfterTheStreamAreIgnored) {
  const std::vector<uint8_t> data = Bytes("settings");
  std::vector<uint8_t> packed = ZlibCompress(data.data(), data.size());
  packed.insert(packed.end(), 16, 0);
  std::vector<uint8_t> out;
  ASSERT_TRUE(ZlibDecompress(packed.data(), packed.size(), &out));
  EXPECT_EQ(out, data);
}

}  // namespace
}  // namespace tarvelin
