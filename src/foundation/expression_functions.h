// The functions of the expression language. Mathematical: TRUNC, ROUND,
// ABS, ARCTAN, COS, EXP, FRAC, INT, LN, PI, SIN, SQR, SQRT, POWER; text:
// UPPER, LOWER, COPY(text, start, count), POS(part, text), LENGTH; IF(cond,
// a, b); conversions STRING, FLOAT, INTEGER, BOOLEAN (OBJECT and ENUMERATED
// are known names that no expression can use).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/expression_value.h"

namespace tarvelin {

// `name` in upper case.
bool IsExpressionFunction(std::string_view name);

// The function's value for its evaluated arguments. Arguments of the wrong
// number or type throw "Invalid parameters to %s"; IF throws "IF must have 3
// parameters", "First parameter to If must be Boolean" and "IF options must
// be the same type".
ExpressionValue CallExpressionFunction(const std::string& name,
                                       const std::vector<ExpressionValue>& arguments);

}  // namespace tarvelin
