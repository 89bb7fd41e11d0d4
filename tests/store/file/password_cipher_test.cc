#include "store/file/password_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/blowfish.h"
#include "foundation/base64.h"

namespace tarvelin {
namespace {

std::vector<uint8_t> Hex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Eric Young's Blowfish test vectors: ecb_data with 8-byte keys, and the
// set_key vectors (key F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677 cut
// to the length, plain text FEDCBA9876543210), 20 bytes being this cipher's
// key length.
TEST(BlowfishTest, StandardVectors) {
  const struct {
    const char* key;
    const char* plain;
    const char* cipher;
  } cases[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"F0E1D2C3", "FEDCBA9876543210", "BE1E639408640F05"},
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F", "FEDCBA9876543210", "93142887EE3BE15C"},
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F00112233", "FEDCBA9876543210", "10851C0E3858DA9F"},
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> key = Hex(c.key);
    const Blowfish blowfish(key.data(), key.size());
    std::vector<uint8_t> block = Hex(c.plain);
    blowfish.EncryptBlock(block.data());
    EXPECT_EQ(block, Hex(c.cipher)) << c.key;
    blowfish.DecryptBlock(block.data());
    EXPECT_EQ(block, Hex(c.plain)) << c.key;
  }
}

// The expected texts were computed once by hand, apart from this code: a
// small Python program took the SHA-1 digest of the key text with hashlib,
// Blowfish ECB from the "cryptography" package, and built the initial
// vector, the chaining and the partial block by the rule in
// password_cipher.h; the stored form is "~#1" + base64.b64encode.
TEST(PasswordCipherTest, PinnedCipherTexts) {
  const struct {
    const char* plain;
    const char* stored;
  } cases[] = {
      {"correct horse battery", "~#1E6A4aIxez5q9VpkYebDgwdgs70Bq"},  // 2 blocks + 5 bytes
      {"Secret-Pa55word!", "~#1C0XwFnxbtrKFz4Rgt3R4jg=="},           // 2 full blocks
      {"abc", "~#1OAj/"},                                            // a partial block only
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StoredPassword(c.plain, true), c.stored);
    EXPECT_EQ(PlainPassword(c.stored), c.plain);
  }
}

TEST(PasswordCipherTest, EveryLengthRoundTripsAndKeepsItsLength) {
  std::string plain;
  for (int length = 0; length <= 127; ++length) {
    const std::string cipher = EncipherPassword(plain);
    EXPECT_EQ(cipher.size(), plain.size());
    if (length > 0) {
      EXPECT_NE(cipher, plain);
    }
    EXPECT_EQ(DecipherPassword(cipher), plain) << length;
    plain += static_cast<char>(length % 2 ? 'A' + length % 26 : 0x80 + length);
  }
}

TEST(PasswordCipherTest, EachPasswordStartsFromTheInitialVector) {
  const std::string first = EncipherPassword("same-password-123");
  EncipherPassword("something else entirely");
  EXPECT_EQ(EncipherPassword("same-password-123"), first);
  // The same first block gives the same first cipher block in any text.
  EXPECT_EQ(EncipherPassword("12345678abc").substr(0, 8),
            EncipherPassword("12345678xyz").substr(0, 8));
}

TEST(PasswordCipherTest, StoredFormByLength) {
  const std::string p93(93, 'p');
  const std::optional<std::string> stored93 = StoredPassword(p93, true);
  ASSERT_TRUE(stored93);
  EXPECT_EQ(stored93->size(), 127u);
  EXPECT_EQ(stored93->substr(0, 3), "~#1");
  EXPECT_EQ(PlainPassword(*stored93), p93);

  // The enciphered form of 94 characters and more would be cut at 127 and
  // read back wrong; such a password is stored as it is instead.
  for (size_t length : {94, 100, 127}) {
    const std::string plain(length, 'q');
    EXPECT_EQ(StoredPassword(plain, true), plain);
    EXPECT_EQ(PlainPassword(plain), plain);
  }
  const std::string cut =
      "~#1" + Base64Encode(EncipherPassword(std::string(94, 'q'))).substr(0, 124);
  EXPECT_NE(PlainPassword(cut), std::string(94, 'q')) << "what cutting would have done";
}

TEST(PasswordCipherTest, ReadingRules) {
  EXPECT_EQ(PlainPassword("~#"), "~#") << "exactly 2 characters is plain";
  EXPECT_EQ(PlainPassword("~"), "~");
  EXPECT_EQ(PlainPassword("plain"), "plain");
  EXPECT_EQ(PlainPassword("~#1"), "");
  // Not Base64 at all, or odd lengths: deciphered as far as it goes, no error.
  EXPECT_EQ(PlainPassword("~#1!!!").size(), 0u);
  EXPECT_EQ(PlainPassword("~#1QUJD RA").size(), 4u);
  EXPECT_EQ(PlainPassword("~#" + std::string(200, 'A')).size(), 127u);
}

TEST(PasswordCipherTest, WritingWithoutEnciphering) {
  EXPECT_EQ(StoredPassword("secret", false), "secret");
  EXPECT_EQ(StoredPassword("~#", false), "~#");
  EXPECT_EQ(StoredPassword("", true), "~#1");
  // A plain password that reading would take for an enciphered one is
  // enciphered anyway, so that it reads back unchanged.
  const std::optional<std::string> tilde = StoredPassword("~#x7", false);
  ASSERT_TRUE(tilde);
  EXPECT_NE(*tilde, "~#x7");
  EXPECT_EQ(PlainPassword(*tilde), "~#x7");
  // ... and one too long for that cannot be stored faithfully at all.
  EXPECT_FALSE(StoredPassword("~#" + std::string(92, 'z'), false));
  EXPECT_FALSE(StoredPassword("~#" + std::string(92, 'z'), true));
}

}  // namespace
}  // namespace tarvelin
