#include "foundation/text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

using Lines = std::vector<std::string>;

TEST(TextTest, TrimRemovesControlCharactersAndZeroBytes) {
  const std::string padded = std::string("\0\t\r\n \x1f", 6) + "a b" + std::string(" \0\x01", 3);
  EXPECT_EQ(Trim(padded), "a b");
  EXPECT_EQ(TrimLeft(padded), "a b" + std::string(" \0\x01", 3));
  EXPECT_EQ(TrimRight(padded), std::string("\0\t\r\n \x1f", 6) + "a b");
  EXPECT_EQ(Trim(std::string(" \0 ", 3)), "");
  EXPECT_EQ(Trim(""), "");
  // "!" (33) and bytes above 127 are text.
  EXPECT_EQ(Trim("!x!"), "!x!");
  EXPECT_EQ(Trim("\xa0x\xff"), "\xa0x\xff");
}

TEST(TextTest, CaseFoldingTouchesOnlyAsciiLetters) {
  EXPECT_EQ(ToLower("AbC-Z@[`\xc4\xe4"), "abc-z@[`\xc4\xe4");
  EXPECT_TRUE(EqualsNoCase("Mail.Example.COM", "mail.example.com"));
  EXPECT_FALSE(EqualsNoCase("\xc4", "\xe4"));
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
  EXPECT_FALSE(EqualsNoCase("@", "`"));
  EXPECT_TRUE(StartsWithNoCase("Postmaster@x", "POST"));
  EXPECT_TRUE(StartsWithNoCase("abc", ""));
  EXPECT_FALSE(StartsWithNoCase("ab", "abc"));
  EXPECT_FALSE(StartsWithNoCase("xabc", "abc"));
}

TEST(TextTest, WildcardMatch) {
  const struct {
    const char* pattern;
    const char* text;
    bool matches;
  } cases[] = {
      {"*.tm$", "12345678.tm$", true},
      {"*.tm$", ".tm$", true},
      {"*.tm$", "12345678.tmp", false},
      {"*.tm$", "a.tm$x", false},
      {"index.dat", "index.dat", true},
      {"index.dat", "Index.dat", false},
      {"index.dat", "index.da", false},
      {"index.dat", "xindex.dat", false},
      {"?", "a", true},
      {"?", "", false},
      {"?", "ab", false},
      {"*", "", true},
      {"*", "anything at all", true},
      {"", "", true},
      {"", "a", false},
      {"a*b*c", "a-b-c", true},
      {"a*b*c", "abcbc", true},
      {"a*b*c", "acb", false},
      {"*a?c", "xxabcabd", false},
      {"*a?c", "xxabdabc", true},
      {"**x**", "x", true},
      {"?*?", "a", false},
      {"?*?", "ab", true},
      {"*@example.com", "user@example.com", true},
      {"*@example.com", "user@example.com.evil", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches)
        << "\"" << c.pattern << "\" vs \"" << c.text << "\"";
  }
}

// Patterns that make naive backtracking take exponential time finish here
// because only the last star is ever revisited.
TEST(TextTest, WildcardMatchOnPathologicalPatterns) {
  const std::string text(20000, 'a');
  EXPECT_FALSE(WildcardMatch("a*a*a*a*b", text));
  EXPECT_TRUE(WildcardMatch("a*a*a*a*a", text));
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", text));
  EXPECT_TRUE(WildcardMatch("a*a*a*a*b", text + "b"));
}

TEST(TextTest, Split) {
  const struct {
    const char* text;
    Lines parts;
  } cases[] = {
      {"", {""}},           {"a", {"a"}}, {"a,b,c", {"a", "b", "c"}}, {",a,", {"", "a", ""}},
      {",,", {"", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.text, ','), c.parts) << c.text;
}

TEST(TextTest, SplitLines) {
  const struct {
    const char* text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"one\n", {"one"}},
      {"one\r\ntwo\r\n", {"one", "two"}},
      {"one\ntwo", {"one", "two"}},
      {"one\n\ntwo\n\n", {"one", "", "two", ""}},
      {"\n", {""}},
      {"a\rb\r\n", {"a\rb"}},  // only the "\r" before the break goes
      {"a\r\r\n", {"a\r"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(TextTest, ReplaceAll) {
  const struct {
    const char* text;
    const char* from;
    const char* to;
    const char* expected;
  } cases[] = {
      {"a.b.c", ".", "\\", "a\\b\\c"},
      {"aaaa", "aa", "a", "aa"},  // no rescanning of what was put in
      {"abc", "x", "y", "abc"},
      {"abc", "", "y", "abc"},
      {"%user%@%user%", "%user%", "bob", "bob@bob"},
      {"", "a", "b", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.expected) << c.text << " " << c.from;
  }
}

TEST(TextTest, CutTo) {
  EXPECT_EQ(CutTo("abcdef", 3), "abc");
  EXPECT_EQ(CutTo("ab", 3), "ab");
  EXPECT_EQ(CutTo("ab", 0), "");
}

}  // namespace
}  // namespace tarvelin
