#include "foundation/base64.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

std::string AsText(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

const struct {
  const char* plain;
  const char* encoded;
} kVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
};

TEST(Base64Test, StandardVectors) {
  for (const auto& v : kVectors) {
    EXPECT_EQ(Base64Encode(v.plain), v.encoded) << v.plain;
    EXPECT_EQ(AsText(Base64Decode(v.encoded)), v.plain) << v.encoded;
  }
}

TEST(Base64Test, AllByteValuesRoundTrip) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  for (size_t length = 0; length <= bytes.size(); length += 37) {
    const std::string part = bytes.substr(bytes.size() - length);
    const std::string encoded = Base64Encode(part);
    EXPECT_EQ(encoded.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(AsText(Base64Decode(encoded)), part);
  }
  EXPECT_EQ(Base64Encode("\xfb\xff"), "+/8=");
}

TEST(Base64Test, DecodingSkipsCharactersOutsideTheAlphabet) {
  const struct {
    const char* text;
    const char* plain;
  } cases[] = {
      {"Zm9v\r\nYmFy", "foobar"},
      {" Z m 9 v Y g = = ", "foob"},
      {"Zm9v\nYg", "foob"},   // padding left out
      {"Zm=9vYmE", "fooba"},  // "=" in the middle is skipped as well
      {"Zm9vYmFy\n", "foobar"},
      {"Zm9vY", "foo"},  // six bits alone make no byte
      {"*!@", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AsText(Base64Decode(c.text)), c.plain) << c.text;
  }
}

}  // namespace
}  // namespace tarvelin
