#include "foundation/expression_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/expression_evaluator.h"

namespace tarvelin {
namespace {

// "type value" of the expression, or the error text.
std::string Show(std::string_view text) {
  try {
    const ExpressionValue value = EvaluateExpression(text);
    return std::string(TypeName(TypeOf(value))) + " " + TextOf(value);
  } catch (const ExpressionError& error) {
    return error.what();
  }
}

TEST(ExpressionParser, BindingAndAssociativity) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"1 + 2 * 3", "integer 7"},
      {"(1 + 2) * 3", "integer 9"},
      {"10 - 4 - 3", "integer 3"},
      {"2 ^ 3 ^ 2", "float 64"},
      {"-2 ^ 2", "float 4"},
      {"2 * 3 ^ 2", "float 18"},
      {"- - 3", "integer 3"},
      {"+ 3", "integer 3"},
      {"not 1 = -2", "boolean TRUE"},  // (NOT 1) = -2
      {"not (1 = 2)", "boolean TRUE"},
      {"1 = 1 = true", "boolean TRUE"},
      {"1 < 2 and true", "Operator AND incompatible with boolean"},  // 1 < (2 AND TRUE)
      {"1 + 2 = 3", "boolean TRUE"},
      {"true or false and false", "boolean TRUE"},
      {"6 Div 4 * 2 mOd 3", "integer 2"},
      {"1 shl 4 or 1", "integer 17"},
      {"TRUE", "boolean TRUE"},
      {"False", "boolean FALSE"},
      {"pi > 3", "boolean TRUE"},
      {"PI() < 4", "boolean TRUE"},
      {"length('abc') + abs(-1)", "integer 4"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.text), c.shown) << c.text;
}

TEST(ExpressionParser, Errors) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"x = 1", "Unknown Identifier x"},
      {"u_type = 0", "Unknown Identifier u_type"},
      {"1 + nothing(2)", "Unknown Identifier nothing"},
      {"* 3", "* not allowed here"},
      {"1 + )", ") not allowed here"},
      {"1 = , 2", ", not allowed here"},
      {"1 + # 2", "# not allowed here"},
      {"and 1", "and not allowed here"},
      {"1 * div", "div not allowed here"},
      {"(1 + 2", " ) expected"},
      {"abs(1", " ) expected"},
      {"copy('a', 1 1)", " ) expected"},
      {"1 2", "2 not appropriate"},
      {"'a' 'b'", "'b' not appropriate"},
      {"(1))", ") not appropriate"},
      {"1 ;", "; not appropriate"},
      {"", "Unexpected end of expression"},
      {"1 +", "Unexpected end of expression"},
      {"'abc", "Unterminated string"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.text), c.message) << c.text;
}

// Nesting is bounded: deep input fails with a message instead of
// exhausting the stack, and the tree the evaluation recurses over is as
// shallow.
TEST(ExpressionParser, DepthIsBounded) {
  const int n = 10000;
  EXPECT_EQ(Show(std::string(n, '(') + "1" + std::string(n, ')')), "Expression too complex");
  EXPECT_EQ(Show(std::string(n, '(')), "Expression too complex");
  EXPECT_EQ(Show(std::string(n, '-') + "1"), "Expression too complex");
  std::string chain = "1";
  for (int i = 0; i < n; ++i) chain += "+1";
  EXPECT_EQ(Show(chain), "Expression too complex");
  std::string calls;
  for (int i = 0; i < n; ++i) calls += "abs(";
  EXPECT_EQ(Show(calls + "1" + std::string(n, ')')), "Expression too complex");

  EXPECT_EQ(Show(std::string(50, '(') + "1" + std::string(50, ')')), "integer 1");
  std::string shallow = "0";
  for (int i = 0; i < 150; ++i) shallow += "+1";
  EXPECT_EQ(Show(shallow), "integer 150");
}

TEST(ExpressionParser, SlotsBecomePlaceholders) {
  const ExpressionTree tree = ParseExpression("('' = 'x') and true", {{1, 2}, {15, 4}});
  EXPECT_EQ(TypeOf(EvaluateTree(*tree, {std::string("x"), true})), ValueType::kBoolean);
  EXPECT_TRUE(std::get<bool>(EvaluateTree(*tree, {std::string("x"), true})));
  EXPECT_FALSE(std::get<bool>(EvaluateTree(*tree, {std::string("y"), true})));
  EXPECT_FALSE(std::get<bool>(EvaluateTree(*tree, {std::string("x"), false})));
  try {
    EvaluateTree(*tree, {std::string(256, 'x'), true});
    FAIL() << "a value longer than a literal may be";
  } catch (const ExpressionError& error) {
    EXPECT_STREQ(error.what(), "String too long");
  }
}

}  // namespace
}  // namespace tarvelin
