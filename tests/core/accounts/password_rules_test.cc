#include "core/accounts/password_rules.h"

#include <gtest/gtest.h>

#include <random>

#include "schema/server_config.h"
#include "platform/posix_env.h"

namespace tarvelin {
namespace {

constexpr int kNotMailboxOrAlias = 159;
constexpr int kMinimumLength = 6999;
constexpr int kMinimumDigits = 7000;
constexpr int kMinimumOthers = 20445;

ServerConfig Policy(int length, int digits, int others = 0, bool not_names = false) {
  ServerConfig config;
  config.SetByte(kMinimumLength, static_cast<uint8_t>(length));
  config.SetByte(kMinimumDigits, static_cast<uint8_t>(digits));
  config.SetByte(kMinimumOthers, static_cast<uint8_t>(others));
  config.SetByte(kNotMailboxOrAlias, not_names ? 1 : 0);
  return config;
}

TEST(PasswordRules, LengthDigitsAndOtherCharacters) {
  const struct {
    int length, digits, others;
    const char* password;
    bool ok;
  } cases[] = {
      {0, 2, 0, "a", true},           // no length: nothing checked
      {2, 3, 0, "a", true},           // length below digits: nothing checked
      {6, 2, 0, "abcde1f", false},    // one digit
      {6, 2, 0, "abcd12", true},      // six with two digits
      {6, 2, 0, "abc12", false},      // too short
      {4, 0, 1, "abcd", false},       // no other character
      {4, 0, 1, "ab-d", true},        //
      {4, 0, 2, "ab\xe9\xe8", true},  // bytes above 127 count as others
      {4, 0, 1, "AB12", false},       // digits and letters are no others
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckPasswordRules(Policy(c.length, c.digits, c.others), c.password, "box", "a"),
              c.ok)
        << c.length << "/" << c.digits << "/" << c.others << " " << c.password;
  }
}

TEST(PasswordRules, MailboxAndAliasesAreRefusedWhenAsked) {
  const ServerConfig config = Policy(0, 0, 0, true);
  EXPECT_FALSE(CheckPasswordRules(config, "John", "john@example.org", "x"));
  EXPECT_FALSE(CheckPasswordRules(config, "Smith", "box", "john; SMITH"));
  EXPECT_TRUE(CheckPasswordRules(config, "example.org", "john@example.org", "x"));
  EXPECT_TRUE(CheckPasswordRules(config, "johnny", "john", "jo;hn"));
  EXPECT_TRUE(CheckPasswordRules(Policy(0, 0), "john", "john", "john")) << "rule off";
}

TEST(PasswordGenerator, LengthCaseAndTheKindsItPlaces) {
  std::mt19937 engine(7);
  const RandomBelow random = [&](uint32_t bound) {
    return std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine);
  };
  const struct {
    int length, digits, others;
    size_t expected_length;
  } cases[] = {{0, 0, 0, 8}, {12, 3, 2, 12}, {200, 0, 0, 63}, {3, 9, 0, 3}, {5, 2, 9, 5}};
  for (const auto& c : cases) {
    for (int round = 0; round < 50; ++round) {
      const std::string password =
          GenerateAccountPassword(Policy(c.length, c.digits, c.others), random);
      ASSERT_EQ(password.size(), c.expected_length);
      int digits = 0, others = 0;
      for (char ch : password) {
        EXPECT_FALSE(ch >= 'A' && ch <= 'Z') << password;
        if (ch >= '0' && ch <= '9') ++digits;
        if (std::string_view("~!@#$%&*-_:?.").find(ch) != std::string_view::npos) ++others;
      }
      EXPECT_EQ(others, std::min<int>(c.others, password.size())) << password;
      if (c.others == 0) EXPECT_EQ(digits, std::min<int>(c.digits, password.size())) << password;
    }
  }
  PosixEnv env;
  EXPECT_EQ(GenerateAccountPassword(Policy(0, 0), EnvRandomBelow(env)).size(), 8u)
      << "the system's random source";
}

}  // namespace
}  // namespace tarvelin
