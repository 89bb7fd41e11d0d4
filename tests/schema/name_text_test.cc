#include "schema/name_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

TEST(NameText, AcceptsPrintableAsciiWithoutAddressBreakers) {
  const struct {
    std::string text;
    bool plain, without_at, without_list_marks;
  } kCases[] = {
      {"", true, true, true},
      {"john.smith-1_x+y", true, true, true},
      {"a@b", true, false, true},
      {"a;b", true, true, false},
      {"[staff]", true, true, false},
      {"a*?#$%&'/=^`{|}~!", true, true, true},
      {"a b", false, false, false},
      {"a\"b", false, false, false},
      {"(a)", false, false, false},
      {"a,b", false, false, false},
      {"a:b", false, false, false},
      {"<a>", false, false, false},
      {"a\\b", false, false, false},
      {std::string("a\tb"), false, false, false},
      {std::string("a\x7f"), false, false, false},
      {std::string("caf\xe9"), false, false, false},
      {std::string("a\0b", 3), false, false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsValidNameText(c.text, NameRefusal::kNone), c.plain);
    EXPECT_EQ(IsValidNameText(c.text, NameRefusal::kAt), c.without_at);
    EXPECT_EQ(IsValidNameText(c.text, NameRefusal::kListMarks), c.without_list_marks);
  }
}

}  // namespace
}  // namespace tarvelin
