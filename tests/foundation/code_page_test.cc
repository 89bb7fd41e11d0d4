#include "foundation/code_page.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

TEST(CodePage, WindowsTwelveFiftyTwoBothWays) {
  CodePage code_page;
  EXPECT_EQ(code_page.name(), "WINDOWS-1252");
  struct Case {
    std::string utf8;
    std::string single;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"J\xC3\xBCrgen", "J\xFCrgen"},
      {"\xE2\x82\xAC 5", "\x80 5"},  // the euro sign
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(code_page.FromUtf8(c.utf8), c.single) << c.utf8;
    EXPECT_EQ(code_page.ToUtf8(c.single), c.utf8) << c.utf8;
  }
}

TEST(CodePage, WhatCannotBeHeldBecomesAQuestionMark) {
  CodePage code_page;
  EXPECT_EQ(code_page.FromUtf8("a\xE4\xB8\xAD" "b"), "a?b");          // a CJK character
  EXPECT_EQ(code_page.FromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b");      // an emoji
  EXPECT_EQ(code_page.FromUtf8("a\xC3" "b"), "a?b");                  // a cut sequence
  EXPECT_EQ(code_page.FromUtf8("a\xFF\xFE" "b"), "a??b");             // no UTF-8 at all
  EXPECT_EQ(code_page.FromUtf8("\xC3"), "?");                         // cut at the end
  EXPECT_EQ(code_page.ToUtf8("a\x81" "b"), "a?b");                    // unassigned in 1252
}

TEST(CodePage, OtherCodePagesAndUnknownNames) {
  CodePage cyrillic("WINDOWS-1251");
  EXPECT_EQ(cyrillic.FromUtf8("\xD0\x94"), "\xC4");
  EXPECT_EQ(cyrillic.ToUtf8("\xC4"), "\xD0\x94");
  CodePage unknown("NO-SUCH-PAGE");
  EXPECT_EQ(unknown.name(), "WINDOWS-1252");
  EXPECT_EQ(unknown.FromUtf8("\xC3\xA9"), "\xE9");
}

}  // namespace
}  // namespace tarvelin
