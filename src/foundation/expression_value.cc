#include "foundation/expression_value.h"

#include <charconv>
#include <cmath>

#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr double kIntegerLow = -2147483648.0;
constexpr double kIntegerHigh = 2147483647.0;

}  // namespace

const char* TypeName(ValueType type) {
  switch (type) {
    case ValueType::kText:
      return "string";
    case ValueType::kFloat:
      return "float";
    case ValueType::kInteger:
      return "integer";
    case ValueType::kBoolean:
      return "boolean";
  }
  return "unknown";
}

std::string TextOf(const ExpressionValue& value) {
  switch (TypeOf(value)) {
    case ValueType::kText:
      return std::get<std::string>(value);
    case ValueType::kFloat: {
      char buffer[64];
      const auto result = std::to_chars(buffer, buffer + sizeof(buffer), std::get<double>(value));
      return std::string(buffer, result.ptr);
    }
    case ValueType::kInteger:
      return std::to_string(std::get<int32_t>(value));
    case ValueType::kBoolean:
      return std::get<bool>(value) ? "TRUE" : "FALSE";
  }
  return std::string();
}

double FloatOf(const ExpressionValue& value) {
  switch (TypeOf(value)) {
    case ValueType::kFloat:
      return std::get<double>(value);
    case ValueType::kInteger:
      return std::get<int32_t>(value);
    case ValueType::kBoolean:
      return std::get<bool>(value) ? 1 : 0;
    case ValueType::kText:
      break;
  }
  throw ExpressionError("Cannot convert " + std::get<std::string>(value) + " to float");
}

int32_t IntegerValueOf(const ExpressionValue& value) {
  switch (TypeOf(value)) {
    case ValueType::kInteger:
      return std::get<int32_t>(value);
    case ValueType::kBoolean:
      return std::get<bool>(value) ? 1 : 0;
    case ValueType::kFloat: {
      const double number = std::trunc(std::get<double>(value));
      if (!(number >= kIntegerLow && number <= kIntegerHigh)) {
        throw ExpressionError("Cannot convert " + TextOf(value) + " to integer");
      }
      return static_cast<int32_t>(number);
    }
    case ValueType::kText:
      break;
  }
  const std::string text = Trim(std::get<std::string>(value));
  int32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    throw ExpressionError("Cannot convert " + std::get<std::string>(value) + " to integer");
  }
  return number;
}

}  // namespace tarvelin
