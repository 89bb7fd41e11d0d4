#include "foundation/expression_tree.h"

namespace tarvelin {

const char* OperatorName(Operator op) {
  switch (op) {
    case Operator::kNot:
      return "NOT";
    case Operator::kNegate:
      return "-";
    case Operator::kIdentity:
      return "+";
    case Operator::kPower:
      return "^";
    case Operator::kMultiply:
      return "*";
    case Operator::kDivide:
      return "/";
    case Operator::kIntDivide:
      return "DIV";
    case Operator::kModulo:
      return "MOD";
    case Operator::kAnd:
      return "AND";
    case Operator::kShiftLeft:
      return "SHL";
    case Operator::kShiftRight:
      return "SHR";
    case Operator::kAdd:
      return "+";
    case Operator::kSubtract:
      return "-";
    case Operator::kOr:
      return "OR";
    case Operator::kXor:
      return "XOR";
    case Operator::kEqual:
      return "=";
    case Operator::kNotEqual:
      return "<>";
    case Operator::kLess:
      return "<";
    case Operator::kGreater:
      return ">";
    case Operator::kLessEqual:
      return "<=";
    case Operator::kGreaterEqual:
      return ">=";
  }
  return "?";
}

}  // namespace tarvelin
