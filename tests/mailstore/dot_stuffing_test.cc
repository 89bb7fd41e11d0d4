#include "mailstore/dot_stuffing.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tarvelin {
namespace {

struct Case {
  std::string_view plain;
  std::string_view stuffed;
};

// The plain message and its stuffed form; the first byte starts no line.
constexpr Case kCases[] = {
    {"", ""},
    {"no dots", "no dots"},
    {".first byte", ".first byte"},
    {"..first two", "..first two"},
    {"a\r\n.b\r\n", "a\r\n..b\r\n"},
    {"a\r\n.\r\nb", "a\r\n..\r\nb"},
    {"a\r\n..\r\n", "a\r\n...\r\n"},
    {"a\n.b\n.c", "a\n..b\n..c"},
    {"a\r.b", "a\r.b"},
    {"a.\r\nb.", "a.\r\nb."},
    {"\n.", "\n.."},
    {"\n\n.\n.", "\n\n..\n.."},
};

template <typename Filter>
std::string InBlocks(std::string_view text, size_t block) {
  Filter filter;
  std::string out;
  for (size_t at = 0; at < text.size(); at += block) filter.Filter(text.substr(at, block), &out);
  filter.Filter("", &out);  // an empty block changes nothing
  return out;
}

TEST(DotStuffing, StuffsAndUnstuffsLinesBeginningWithADot) {
  for (const Case& c : kCases) {
    EXPECT_EQ(InBlocks<DotStuffer>(c.plain, c.plain.size() + 1), c.stuffed) << c.plain;
    EXPECT_EQ(InBlocks<DotUnstuffer>(c.stuffed, c.stuffed.size() + 1), c.plain) << c.stuffed;
  }
}

TEST(DotStuffing, BlockBoundariesChangeNothing) {
  for (const Case& c : kCases) {
    for (size_t block = 1; block <= c.stuffed.size(); ++block) {
      EXPECT_EQ(InBlocks<DotStuffer>(c.plain, block), c.stuffed) << c.plain << " by " << block;
      EXPECT_EQ(InBlocks<DotUnstuffer>(c.stuffed, block), c.plain) << c.stuffed << " by " << block;
    }
  }
}

TEST(DotStuffing, UnstufferRemovesOneDotPerLine) {
  // A line of three dots read from a file that was not stuffed by us.
  EXPECT_EQ(InBlocks<DotUnstuffer>("x\n...\n", 2), "x\n..\n");
  EXPECT_EQ(InBlocks<DotUnstuffer>("x\n.", 2), "x\n") << "the dot after the block's line feed";
  DotUnstuffer unstuffer;
  std::string out;
  unstuffer.Filter("x\n", &out);
  unstuffer.Filter(".", &out);
  unstuffer.Filter(".y", &out);
  EXPECT_EQ(out, "x\n.y") << "the removed dot ends the line start";
}

}  // namespace
}  // namespace tarvelin
