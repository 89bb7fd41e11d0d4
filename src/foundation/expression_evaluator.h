// Evaluates expressions of the query language.
//
// Integer operators give integers (32-bit, wrapping) except "^" and "/",
// which give floats; an integer meeting a float gives a float. "+" also
// joins two texts. AND, OR, XOR and NOT are logical on booleans (AND and OR
// evaluate their right side only when needed) and bitwise on integers.
// Comparisons take the common type of their sides, the first of text, float,
// integer, boolean that either side has (so a text compared with a number
// compares texts, byte by byte); booleans allow only "=" and "<>".
// Errors (ExpressionError): "Operator %s incompatible with %s",
// "cannot apply %s to boolean operands", "Division by zero", the functions'
// and the parser's.
#pragma once

#include <string_view>
#include <vector>

#include "foundation/expression_tree.h"
#include "foundation/expression_value.h"

namespace tarvelin {

// `slots` supplies the values of the placeholders; a text of more than 255
// characters there fails like such a literal ("String too long").
ExpressionValue EvaluateTree(const ExpressionNode& node,
                             const std::vector<ExpressionValue>& slots = {});

// Parses and evaluates `text`.
ExpressionValue EvaluateExpression(std::string_view text);

}  // namespace tarvelin
