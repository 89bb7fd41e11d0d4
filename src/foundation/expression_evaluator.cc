#include "foundation/expression_evaluator.h"

#include <algorithm>
#include <cmath>

#include "foundation/expression_functions.h"
#include "foundation/expression_lexer.h"
#include "foundation/expression_parser.h"

namespace tarvelin {

namespace {

using Values = std::vector<ExpressionValue>;

[[noreturn]] void Incompatible(Operator op, ValueType type) {
  throw ExpressionError(std::string("Operator ") + OperatorName(op) + " incompatible with " +
                        TypeName(type));
}

bool IsNumber(ValueType type) { return type == ValueType::kInteger || type == ValueType::kFloat; }

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

ExpressionValue Unary(Operator op, const ExpressionValue& value) {
  const ValueType type = TypeOf(value);
  switch (op) {
    case Operator::kNot:
      if (type == ValueType::kBoolean) return !std::get<bool>(value);
      if (type == ValueType::kInteger) return ~std::get<int32_t>(value);
      break;
    case Operator::kNegate:
      if (type == ValueType::kInteger) return Wrap(-static_cast<int64_t>(std::get<int32_t>(value)));
      if (type == ValueType::kFloat) return -std::get<double>(value);
      break;
    default:  // prefix "+"
      if (IsNumber(type)) return value;
      break;
  }
  Incompatible(op, type);
}

// The side whose type the operator cannot take: the left one when it does
// not fit, else the right one.
[[noreturn]] void Mismatch(Operator op, ValueType left, ValueType right, bool left_fits) {
  Incompatible(op, left_fits ? right : left);
}

ExpressionValue Arithmetic(Operator op, const ExpressionValue& a, const ExpressionValue& b) {
  const ValueType ta = TypeOf(a);
  const ValueType tb = TypeOf(b);
  if (op == Operator::kAdd && ta == ValueType::kText && tb == ValueType::kText) {
    return std::get<std::string>(a) + std::get<std::string>(b);
  }
  const bool integers_only = op == Operator::kIntDivide || op == Operator::kModulo ||
                             op == Operator::kShiftLeft || op == Operator::kShiftRight;
  const auto fits = [&](ValueType t) {
    return integers_only ? t == ValueType::kInteger : IsNumber(t);
  };
  if (!fits(ta) || !fits(tb)) {
    Mismatch(op, ta, tb, fits(ta) || (op == Operator::kAdd && ta == ValueType::kText));
  }
  if (op == Operator::kDivide || op == Operator::kPower || ta == ValueType::kFloat ||
      tb == ValueType::kFloat) {
    const double x = FloatOf(a);
    const double y = FloatOf(b);
    switch (op) {
      case Operator::kAdd:
        return x + y;
      case Operator::kSubtract:
        return x - y;
      case Operator::kMultiply:
        return x * y;
      case Operator::kPower:
        return std::pow(x, y);
      default:  // "/"
        if (y == 0) throw ExpressionError("Division by zero");
        return x / y;
    }
  }
  const int64_t x = std::get<int32_t>(a);
  const int64_t y = std::get<int32_t>(b);
  switch (op) {
    case Operator::kAdd:
      return Wrap(x + y);
    case Operator::kSubtract:
      return Wrap(x - y);
    case Operator::kMultiply:
      return Wrap(x * y);
    case Operator::kIntDivide:
    case Operator::kModulo:
      if (y == 0) throw ExpressionError("Division by zero");
      return Wrap(op == Operator::kIntDivide ? x / y : x % y);
    case Operator::kShiftLeft:
      return static_cast<int32_t>(static_cast<uint32_t>(x) << (y & 31));
    default:  // SHR, on the unsigned bits
      return static_cast<int32_t>(static_cast<uint32_t>(x) >> (y & 31));
  }
}

ExpressionValue Exclusive(const ExpressionValue& a, const ExpressionValue& b) {
  const ValueType ta = TypeOf(a);
  const ValueType tb = TypeOf(b);
  if (ta == ValueType::kBoolean && tb == ValueType::kBoolean) {
    return std::get<bool>(a) != std::get<bool>(b);
  }
  if (ta == ValueType::kInteger && tb == ValueType::kInteger) {
    return std::get<int32_t>(a) ^ std::get<int32_t>(b);
  }
  Mismatch(Operator::kXor, ta, tb, ta == ValueType::kBoolean || ta == ValueType::kInteger);
}

template <typename T>
bool Compare(Operator op, const T& a, const T& b) {
  switch (op) {
    case Operator::kEqual:
      return a == b;
    case Operator::kNotEqual:
      return !(a == b);
    case Operator::kLess:
      return a < b;
    case Operator::kGreater:
      return b < a;
    case Operator::kLessEqual:
      return a <= b;
    default:
      return a >= b;
  }
}

bool Comparison(Operator op, const ExpressionValue& a, const ExpressionValue& b) {
  const ValueType common = std::min(TypeOf(a), TypeOf(b));
  switch (common) {
    case ValueType::kText:
      return Compare(op, TextOf(a), TextOf(b));
    case ValueType::kFloat:
      return Compare(op, FloatOf(a), FloatOf(b));
    case ValueType::kInteger:
      return Compare(op, IntegerValueOf(a), IntegerValueOf(b));
    case ValueType::kBoolean:
      break;
  }
  if (op != Operator::kEqual && op != Operator::kNotEqual) {
    throw ExpressionError(std::string("cannot apply ") + OperatorName(op) + " to boolean operands");
  }
  return Compare(op, std::get<bool>(a), std::get<bool>(b));
}

class Evaluator {
 public:
  explicit Evaluator(const Values& slots) : slots_(slots) {}

  ExpressionValue Evaluate(const ExpressionNode& node) const {
    switch (node.kind) {
      case ExpressionNode::Kind::kLiteral:
        return node.literal;
      case ExpressionNode::Kind::kSlot:
        return Slot(node.slot);
      case ExpressionNode::Kind::kUnary:
        return Unary(node.op, Evaluate(*node.operands[0]));
      case ExpressionNode::Kind::kBinary:
        return Binary(node);
      case ExpressionNode::Kind::kCall: {
        Values arguments;
        arguments.reserve(node.operands.size());
        for (const ExpressionTree& operand : node.operands) arguments.push_back(Evaluate(*operand));
        return CallExpressionFunction(node.function, arguments);
      }
    }
    throw ExpressionError("Unknown node");
  }

 private:
  ExpressionValue Slot(int index) const {
    const ExpressionValue& value = slots_.at(static_cast<size_t>(index));
    if (TypeOf(value) == ValueType::kText &&
        std::get<std::string>(value).size() > kMaxTextLiteral) {
      throw ExpressionError("String too long");
    }
    return value;
  }

  ExpressionValue Binary(const ExpressionNode& node) const {
    const ExpressionValue left = Evaluate(*node.operands[0]);
    if (node.op == Operator::kAnd || node.op == Operator::kOr) return Logical(node, left);
    const ExpressionValue right = Evaluate(*node.operands[1]);
    switch (node.op) {
      case Operator::kXor:
        return Exclusive(left, right);
      case Operator::kEqual:
      case Operator::kNotEqual:
      case Operator::kLess:
      case Operator::kGreater:
      case Operator::kLessEqual:
      case Operator::kGreaterEqual:
        return Comparison(node.op, left, right);
      default:
        return Arithmetic(node.op, left, right);
    }
  }

  ExpressionValue Logical(const ExpressionNode& node, const ExpressionValue& left) const {
    const ValueType tl = TypeOf(left);
    if (tl == ValueType::kBoolean) {
      const bool decided = node.op == Operator::kAnd ? !std::get<bool>(left) : std::get<bool>(left);
      if (decided) return left;
      const ExpressionValue right = Evaluate(*node.operands[1]);
      if (TypeOf(right) != ValueType::kBoolean) Incompatible(node.op, TypeOf(right));
      return right;
    }
    if (tl != ValueType::kInteger) Incompatible(node.op, tl);
    const ExpressionValue right = Evaluate(*node.operands[1]);
    if (TypeOf(right) != ValueType::kInteger) Incompatible(node.op, TypeOf(right));
    const int32_t a = std::get<int32_t>(left);
    const int32_t b = std::get<int32_t>(right);
    return node.op == Operator::kAnd ? (a & b) : (a | b);
  }

  const Values& slots_;
};

}  // namespace

ExpressionValue EvaluateTree(const ExpressionNode& node, const Values& slots) {
  return Evaluator(slots).Evaluate(node);
}

ExpressionValue EvaluateExpression(std::string_view text) {
  const ExpressionTree tree = ParseExpression(text);
  return EvaluateTree(*tree);
}

}  // namespace tarvelin
