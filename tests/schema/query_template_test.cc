#include "schema/query_template.h"

#include <gtest/gtest.h>

#include <string>

#include "schema/property_table.h"

namespace tarvelin {
namespace {

const PropertyTable& Table() {
  static const PropertyTable* const table = new PropertyTable(PropertyTable::FromText(
      "U_Type = 0; // integer\nU_Name = 2; // string\nU_Alias = 3; // string\n"));
  return *table;
}

// The split as text: terms as {number} or {number like pattern}.
std::string Shape(std::string_view query) {
  const QueryTemplate split = SplitQuery(query, Table());
  std::string shape = split.texts[0];
  for (size_t i = 0; i < split.terms.size(); ++i) {
    const QueryTerm& term = split.terms[i];
    shape += "{" + std::to_string(term.number) + (term.like ? " like " + term.pattern : "") + "}";
    shape += split.texts[i + 1];
  }
  return shape;
}

TEST(QueryTemplate, Split) {
  const struct {
    std::string query;
    std::string shape;
  } cases[] = {
      {"U_Type = 0", "{0} = 0"},
      {"U_Type=0", "{0}=0"},
      {"u_type=0 and u_name = 'x'", "u_type=0 and {2} = 'x'"},  // the name runs to the space
      {"U_TYPE = 0 OR U_Type = 1", "{0} = 0 or {0} = 1"},
      {"u_alias like 'a%' and u_type = 0", "{3 like a*} and {0} = 0"},
      {"u_alias LIKE 'a_c'", "{3 like a?c}"},
      {"u_alias like'%x%'", "{3 like *x*}"},
      {"u_alias like 'open", "u_alias like 'open"},  // no closing quote: left as it stands
      {"u_alias like", "u_alias like"},
      {"u_nothing = 1 and u_type = 0", "u_nothing = 1 and {0} = 0"},
      {"xu_type = 0", "x{0} = 0"},
      {"u_type", "u_type"},  // neither a space nor "=" after the name
      {"u_ = 1", "u_ = 1"},
      {"'u_type = 0' = u_name", "'{0} = 0' = u_name"},  // the last name runs to no space nor "="
      {"u_name = 'u_type x'", "{2} = '{0} x'"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Shape(c.query), c.shape) << c.query;
}

TEST(QueryTemplate, Render) {
  const QueryTemplate split = SplitQuery("U_Name = 'x' and u_alias like 'a%'", Table());
  EXPECT_EQ(RenderQuery(split, {"o'neil", "abc"}), "'o''neil' = 'x' and true");
  EXPECT_EQ(RenderQuery(split, {"", "bca"}), "'' = 'x' and false");
}

TEST(QueryTemplate, LikeMatchesTheValueWithItsQuotesDoubled) {
  QueryTerm term;
  term.like = true;
  const struct {
    std::string pattern;
    std::string value;
    bool holds;
  } cases[] = {
      {"a*", "abc", true},
      {"a*", "bac", false},
      {"a?c", "abc", true},
      {"a?c", "abbc", false},
      {"*", "", true},
      {"?", "", false},
      {"o''n*", "o'neil", true},
      {"o'n*", "o'neil", false},
      {"A*", "abc", false},  // case-sensitive; queries and text values are lower-case
      {std::string(255, 'x'), std::string(300, 'x'), true},  // both sides cut to 255
  };
  for (const auto& c : cases) {
    term.pattern = c.pattern;
    EXPECT_EQ(LikeHolds(term, c.value), c.holds) << c.pattern << " " << c.value;
  }
}

}  // namespace
}  // namespace tarvelin
