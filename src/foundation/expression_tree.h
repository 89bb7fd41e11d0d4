// The parsed form of an expression: a tree of literals, placeholders,
// operators and function calls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/expression_value.h"

namespace tarvelin {

enum class Operator {
  kNot,
  kNegate,
  kIdentity,  // prefix
  kPower,     // ^
  kMultiply,
  kDivide,
  kIntDivide,
  kModulo,
  kAnd,
  kShiftLeft,
  kShiftRight,
  kAdd,
  kSubtract,
  kOr,
  kXor,
  kEqual,
  kNotEqual,
  kLess,
  kGreater,
  kLessEqual,
  kGreaterEqual,
};

// As written in the language: "NOT", "-", "^", "DIV", "<=" ...
const char* OperatorName(Operator op);

struct ExpressionNode {
  enum class Kind { kLiteral, kSlot, kUnary, kBinary, kCall };
  Kind kind = Kind::kLiteral;
  ExpressionValue literal;  // kLiteral
  int slot = -1;            // kSlot
  Operator op = Operator::kAdd;
  std::string function;  // kCall: upper-case name
  std::vector<std::unique_ptr<ExpressionNode>> operands;
  int height = 1;  // levels of the tree below and including this node
};

using ExpressionTree = std::unique_ptr<ExpressionNode>;

}  // namespace tarvelin
