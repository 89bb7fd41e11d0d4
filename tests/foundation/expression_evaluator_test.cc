#include "foundation/expression_evaluator.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

std::string Show(std::string_view text) {
  try {
    const ExpressionValue value = EvaluateExpression(text);
    return std::string(TypeName(TypeOf(value))) + " " + TextOf(value);
  } catch (const ExpressionError& error) {
    return error.what();
  }
}

struct Case {
  std::string text;
  std::string shown;
};

void ExpectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(Show(c.text), c.shown) << c.text;
}

TEST(ExpressionEvaluator, Arithmetic) {
  ExpectAll({
      {"7 * 6", "integer 42"},
      {"7 / 2", "float 3.5"},
      {"8 / 2", "float 4"},
      {"7 div 2", "integer 3"},
      {"-7 div 2", "integer -3"},
      {"-7 mod 2", "integer -1"},
      {"2 ^ 10", "float 1024"},
      {"1 + 0.5", "float 1.5"},
      {"1.5 * 2", "float 3"},
      {"2147483647 + 1", "integer -2147483648"},
      {"-2147483647 - 2", "integer 2147483647"},
      {"65536 * 65536", "integer 0"},
      {"$80000000 div -1", "integer -2147483648"},
      {"1 shl 33", "integer 2"},
      {"-1 shr 28", "integer 15"},
      {"6 and 3", "integer 2"},
      {"6 or 3", "integer 7"},
      {"6 xor 3", "integer 5"},
      {"not 0", "integer -1"},
      {"'ab' + 'cd'", "string abcd"},
      {"1 / 0", "Division by zero"},
      {"1 div 0", "Division by zero"},
      {"1 mod 0", "Division by zero"},
      {"1.0 / 0", "Division by zero"},
  });
}

TEST(ExpressionEvaluator, OperatorsCheckTheirOperandTypes) {
  ExpectAll({
      {"'a' + 1", "Operator + incompatible with integer"},
      {"1 + 'a'", "Operator + incompatible with string"},
      {"'a' - 'b'", "Operator - incompatible with string"},
      {"true + 1", "Operator + incompatible with boolean"},
      {"1.5 div 2", "Operator DIV incompatible with float"},
      {"2 mod 1.5", "Operator MOD incompatible with float"},
      {"1 shl 'a'", "Operator SHL incompatible with string"},
      {"'a' ^ 2", "Operator ^ incompatible with string"},
      {"1 / true", "Operator / incompatible with boolean"},
      {"1.5 and 1", "Operator AND incompatible with float"},
      {"false or 1", "Operator OR incompatible with integer"},
      {"1 or true", "Operator OR incompatible with boolean"},
      {"true xor 1", "Operator XOR incompatible with integer"},
      {"'a' xor 1", "Operator XOR incompatible with string"},
      {"not 'a'", "Operator NOT incompatible with string"},
      {"not 1.5", "Operator NOT incompatible with float"},
      {"-'a'", "Operator - incompatible with string"},
      {"-true", "Operator - incompatible with boolean"},
      {"+'a'", "Operator + incompatible with string"},
  });
}

TEST(ExpressionEvaluator, AndOrEvaluateTheRightSideOnlyWhenNeeded) {
  ExpectAll({
      {"false and (1 div 0 = 1)", "boolean FALSE"},
      {"true or (1 div 0 = 1)", "boolean TRUE"},
      {"true and (1 div 0 = 1)", "Division by zero"},
      {"false or 'x'", "Operator OR incompatible with string"},
      {"true xor true", "boolean FALSE"},
      {"not true", "boolean FALSE"},
  });
}

TEST(ExpressionEvaluator, ComparisonsUseTheCommonType) {
  ExpectAll({
      {"'9' > 10", "boolean TRUE"},  // text and integer compare as texts
      {"9 > 10", "boolean FALSE"},
      {"'0' = 0", "boolean TRUE"},
      {"'00' = 0", "boolean FALSE"},
      {"'1.5' = 1.5", "boolean TRUE"},
      {"'TRUE' = true", "boolean TRUE"},
      {"'true' = true", "boolean FALSE"},
      {"'a' < 'b'", "boolean TRUE"},
      {"'B' < 'a'", "boolean TRUE"},
      {"'abc' >= 'abd'", "boolean FALSE"},
      {"'\xe9' > 'z'", "boolean TRUE"},  // bytes, not signed characters
      {"'' < 'a'", "boolean TRUE"},
      {"1 = 1.0", "boolean TRUE"},
      {"2 > 1.5", "boolean TRUE"},
      {"true = 1", "boolean TRUE"},
      {"false < 1", "boolean TRUE"},
      {"1.0 = true", "boolean TRUE"},
      {"true = true", "boolean TRUE"},
      {"true <> false", "boolean TRUE"},
      {"true < false", "cannot apply < to boolean operands"},
      {"true >= false", "cannot apply >= to boolean operands"},
      {"1 <> 1", "boolean FALSE"},
      {"1 <= 1", "boolean TRUE"},
  });
}

TEST(ExpressionEvaluator, IntegerValueOfAWholeExpression) {
  EXPECT_EQ(IntegerValueOf(EvaluateExpression("1 = 1")), 1);
  EXPECT_EQ(IntegerValueOf(EvaluateExpression("1 = 2")), 0);
  EXPECT_EQ(IntegerValueOf(EvaluateExpression("2.9")), 2);
  EXPECT_EQ(IntegerValueOf(EvaluateExpression("' 12 '")), 12);
  EXPECT_EQ(IntegerValueOf(EvaluateExpression("-3")), -3);
  EXPECT_THROW(IntegerValueOf(EvaluateExpression("'abc'")), ExpressionError);
  EXPECT_THROW(IntegerValueOf(EvaluateExpression("1e20")), ExpressionError);
}

}  // namespace
}  // namespace tarvelin
