#include "foundation/md5.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

TEST(Md5Test, Rfc1321Vectors) {
  const struct {
    const char* input;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5Hex(c.input), c.digest) << c.input;
}

TEST(Md5Test, ZeroBytesAreHashed) {
  EXPECT_NE(Md5Hex(std::string_view("a\0b", 3)), Md5Hex("a"));
  EXPECT_EQ(Md5Hex(std::string_view("\0", 1)), "93b885adfe0da089cdf634904fd59f71");
}

}  // namespace
}  // namespace tarvelin
