#include "foundation/expression_functions.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/expression_evaluator.h"

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

TEST(ExpressionFunctions, Mathematical) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"trunc(2.7)", "integer 2"},
      {"trunc(-2.7)", "integer -2"},
      {"TRUNC(5)", "integer 5"},
      {"round(2.5)", "integer 2"},
      {"round(3.5)", "integer 4"},
      {"round(-2.6)", "integer -3"},
      {"abs(-3)", "integer 3"},
      {"abs(-2.5)", "float 2.5"},
      {"sqr(-4)", "integer 16"},
      {"sqr(1.5)", "float 2.25"},
      {"sqrt(16)", "float 4"},
      {"int(-2.7)", "float -2"},
      {"frac(2.5)", "float 0.5"},
      {"exp(0)", "float 1"},
      {"ln(1)", "float 0"},
      {"sin(0) + cos(0)", "float 1"},
      {"arctan(0)", "float 0"},
      {"power(2, 3)", "float 8"},
      {"round(pi * 100)", "integer 314"},
      {"trunc(1e10)", "Invalid parameters to TRUNC"},
      {"trunc('1')", "Invalid parameters to TRUNC"},
      {"abs(true)", "Invalid parameters to ABS"},
      {"sqrt()", "Invalid parameters to SQRT"},
      {"cos(1, 2)", "Invalid parameters to COS"},
      {"power(2)", "Invalid parameters to POWER"},
      {"pi(1)", "Invalid parameters to PI"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.text), c.shown) << c.text;
}

TEST(ExpressionFunctions, Text) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"upper('aB1\xe9')", "string AB1\xe9"},
      {"lower('AbC')", "string abc"},
      {"copy('abcdef', 2, 3)", "string bcd"},
      {"copy('abc', 0, 2)", "string ab"},
      {"copy('abc', 3, 10)", "string c"},
      {"copy('abc', 4, 1)", "string "},
      {"copy('abc', 1, -1)", "string "},
      {"pos('cd', 'abcdcd')", "integer 3"},
      {"pos('x', 'abc')", "integer 0"},
      {"pos('', 'abc')", "integer 0"},
      {"length('')", "integer 0"},
      {"length('it''s')", "integer 4"},
      {"upper(1)", "Invalid parameters to UPPER"},
      {"copy('abc', '1', 2)", "Invalid parameters to COPY"},
      {"copy('abc', 1)", "Invalid parameters to COPY"},
      {"pos(1, 'abc')", "Invalid parameters to POS"},
      {"length(12)", "Invalid parameters to LENGTH"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.text), c.shown) << c.text;
}

TEST(ExpressionFunctions, IfAndConversions) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"if(1 < 2, 'yes', 'no')", "string yes"},
      {"IF(false, 1, 2)", "integer 2"},
      {"if(true, 1)", "IF must have 3 parameters"},
      {"if", "IF must have 3 parameters"},
      {"if(1, 2, 3)", "First parameter to If must be Boolean"},
      {"if(true, 1, 'a')", "IF options must be the same type"},
      {"if(true, 1, 2.0)", "IF options must be the same type"},
      {"string(12) + 'x'", "string 12x"},
      {"string(1.5)", "string 1.5"},
      {"string(1 = 1)", "string TRUE"},
      {"float('2.5') * 2", "float 5"},
      {"float(3)", "float 3"},
      {"float('x')", "Invalid parameters to FLOAT"},
      {"float(true)", "Invalid parameters to FLOAT"},
      {"integer('42') + 1", "integer 43"},
      {"integer(2.9)", "integer 2"},
      {"integer(true)", "integer 1"},
      {"integer('4x')", "Invalid parameters to INTEGER"},
      {"boolean(0)", "boolean FALSE"},
      {"boolean('True')", "boolean TRUE"},
      {"boolean('yes')", "Invalid parameters to BOOLEAN"},
      {"boolean(1.0)", "Invalid parameters to BOOLEAN"},
      {"object(1)", "Invalid parameters to OBJECT"},
      {"enumerated", "Invalid parameters to ENUMERATED"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.text), c.shown) << c.text;
}

TEST(ExpressionFunctions, Names) {
  for (const char* name :
       {"TRUNC",  "ROUND", "ABS",    "ARCTAN", "COS",     "EXP",     "FRAC",   "INT",       "LN",
        "PI",     "SIN",   "SQR",    "SQRT",   "POWER",   "UPPER",   "LOWER",  "COPY",      "POS",
        "LENGTH", "IF",    "STRING", "FLOAT",  "INTEGER", "BOOLEAN", "OBJECT", "ENUMERATED"}) {
    EXPECT_TRUE(IsExpressionFunction(name)) << name;
  }
  EXPECT_FALSE(IsExpressionFunction("abs")) << "callers pass upper case";
  EXPECT_FALSE(IsExpressionFunction("TRUE"));
}

}  // namespace
}  // namespace tarvelin
