#include "config/defaults_file.h"

#include <gtest/gtest.h>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(ParseDefaultsFile, KeysValuesAndSkippedLines) {
  const std::vector<DefaultsLine> lines = ParseDefaultsFile(
      "  ForwardTo = a@b.example  \r\n"
      "\n"
      "no equals sign\n"
      "IncomingCopy=\n"
      "OutgoingCopy=\"\"\n"
      "RespondWithFile=x=y=z\n"
      "ForwardTo=second\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].key, "ForwardTo");
  EXPECT_EQ(lines[0].value, "a@b.example");
  EXPECT_TRUE(lines[1].Is("outgoingcopy")) << "a line with an empty value is skipped";
  EXPECT_EQ(lines[1].value, "") << "two double quotes stand for an empty text";
  EXPECT_EQ(lines[2].value, "x=y=z") << "the key ends at the first \"=\"";
  EXPECT_EQ(lines[3].value, "second") << "file order is kept, so later lines win";
}

TEST(DefaultsLine, KeysIgnoreCase) {
  DefaultsLine line{"DomainAV", "1"};
  EXPECT_TRUE(line.Is("domainav"));
  EXPECT_TRUE(line.Is("DOMAINAV"));
  EXPECT_FALSE(line.Is("DomainAVX"));
}

TEST(DefaultsLine, NumbersAreDecimalAndUnreadableIsZero) {
  struct Case {
    const char* value;
    int64_t number;
  };
  const Case cases[] = {
      {"1", 1},
      {"0042", 42},
      {"-5", -5},
      {"+7", 7},
      {"4294967295", 4294967295LL},
      {"4294967296", 0},
      {"-2147483648", -2147483648LL},
      {"-2147483649", 0},
      {"99999999999999999999", 0},
      {"12abc", 0},
      {"0x10", 0},
      {"$10", 0},
      {"1 2", 0},
      {"-", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ((DefaultsLine{"k", c.value}.Number()), c.number) << c.value;
}

TEST(ReadDefaultsFile, MissingFileGivesNothing) {
  testing::TempDir dir;
  PosixEnv env;
  std::vector<DefaultsLine> lines{{"stale", "1"}};
  EXPECT_FALSE(ReadDefaultsFile(env, dir.path() + "default.ini", &lines));
  EXPECT_TRUE(lines.empty());

  dir.Write("default.ini", "DomainSIP=1\n");
  ASSERT_TRUE(ReadDefaultsFile(env, dir.path() + "default.ini", &lines));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].Is("domainsip"));
  EXPECT_EQ(lines[0].Number(), 1);
}

}  // namespace
}  // namespace tarvelin
