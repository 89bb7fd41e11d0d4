#include "schema/property_line.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

TEST(PropertyLine, LinesWithoutEqualsOrCommentDeclareNothing) {
  for (const char* line : {"", "const", "  U_Type = 0;", "{ a comment // without equals }",
                           "U_Type := 0; { string }"}) {
    EXPECT_EQ(ParsePropertyLine(line), std::nullopt) << line;
  }
}

TEST(PropertyLine, NameNumberAndKind) {
  const struct {
    std::string line;
    std::string name;
    int32_t number;
    ValueKind kind;
  } cases[] = {
      {"  U_Type = 0; // integer", "u_type", 0, ValueKind::kInteger},
      {"U_Name = $1F; // STRING", "u_name", 31, ValueKind::kText},
      {"U_Name = $ff; //x", "u_name", 255, ValueKind::kInteger},
      {"X = $1g; //", "x", 16, ValueKind::kInteger},  // a non-digit counts as the digit 0
      {"Exp = 19; // expiry Date", "exp", 19, ValueKind::kDateTime},
      {"Exp = 19; // update", "exp", 19, ValueKind::kInteger},
      {"Both = 2; // date string", "both", 2, ValueKind::kText},
      {"Glued = 2; //string", "glued", 2, ValueKind::kInteger},
      {"Neg = -12; // integer", "neg", -12, ValueKind::kInteger},
      {"Plus = +7; //", "plus", 7, ValueKind::kInteger},
      {"Bad = 1x2; //", "bad", 0, ValueKind::kInteger},
      {"Big = 99999999999; //", "big", 0, ValueKind::kInteger},
      {"Two = 5 = 6; //", "two", 5, ValueKind::kInteger},
      {"NoSemicolon = 42 // text", "nosemicolon", 0, ValueKind::kInteger},
      {"Wrap = $100000001; //", "wrap", 1, ValueKind::kInteger},
      {"\tTabbed\t=\t3;\t//", "tabbed", 3, ValueKind::kInteger},
      {"// Later = 4; integer", "// later", 4, ValueKind::kInteger},  // any line with both
  };
  for (const auto& c : cases) {
    const std::optional<PropertyEntry> entry = ParsePropertyLine(c.line);
    ASSERT_TRUE(entry.has_value()) << c.line;
    EXPECT_EQ(entry->name, c.name) << c.line;
    EXPECT_EQ(entry->number, c.number) << c.line;
    EXPECT_EQ(entry->kind, c.kind) << c.line;
  }
}

TEST(PropertyLine, NamesAreCutTo127Characters) {
  const std::string name(200, 'N');
  const std::optional<PropertyEntry> entry = ParsePropertyLine(name + " = 1; //");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->name, std::string(127, 'n'));
}

}  // namespace
}  // namespace tarvelin
