#include "foundation/expression_functions.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <optional>

#include "foundation/text.h"

namespace tarvelin {

namespace {

using Arguments = std::vector<ExpressionValue>;
using Function = std::function<ExpressionValue(const std::string& name, const Arguments&)>;

constexpr double kIntegerLow = -2147483648.0;
constexpr double kIntegerHigh = 2147483647.0;

[[noreturn]] void Invalid(const std::string& name) {
  throw ExpressionError("Invalid parameters to " + name);
}

bool IsNumber(const ExpressionValue& value) {
  return TypeOf(value) == ValueType::kInteger || TypeOf(value) == ValueType::kFloat;
}

void ExpectCount(const std::string& name, const Arguments& arguments, size_t count) {
  if (arguments.size() != count) Invalid(name);
}

double NumberArgument(const std::string& name, const Arguments& arguments, size_t index) {
  if (!IsNumber(arguments[index])) Invalid(name);
  return FloatOf(arguments[index]);
}

const std::string& TextArgument(const std::string& name, const Arguments& arguments, size_t index) {
  if (TypeOf(arguments[index]) != ValueType::kText) Invalid(name);
  return std::get<std::string>(arguments[index]);
}

int32_t IntegerArgument(const std::string& name, const Arguments& arguments, size_t index) {
  if (TypeOf(arguments[index]) != ValueType::kInteger) Invalid(name);
  return std::get<int32_t>(arguments[index]);
}

int32_t ToInteger(const std::string& name, double value) {
  if (!(value >= kIntegerLow && value <= kIntegerHigh)) Invalid(name);
  return static_cast<int32_t>(value);
}

// One float argument, a float result.
Function Real(double (*f)(double)) {
  return [f](const std::string& name, const Arguments& arguments) -> ExpressionValue {
    ExpectCount(name, arguments, 1);
    return f(NumberArgument(name, arguments, 0));
  };
}

// Integers stay integers (with 32-bit wrap-around), floats stay floats.
Function Numeric(int32_t (*on_integer)(int32_t), double (*on_float)(double)) {
  return [=](const std::string& name, const Arguments& arguments) -> ExpressionValue {
    ExpectCount(name, arguments, 1);
    if (TypeOf(arguments[0]) == ValueType::kInteger) {
      return on_integer(std::get<int32_t>(arguments[0]));
    }
    return on_float(NumberArgument(name, arguments, 0));
  };
}

Function TextCase(bool upper) {
  return [upper](const std::string& name, const Arguments& arguments) -> ExpressionValue {
    ExpectCount(name, arguments, 1);
    std::string text = TextArgument(name, arguments, 0);
    for (char& c : text) {
      if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
  };
}

ExpressionValue Copy(const std::string& name, const Arguments& arguments) {
  ExpectCount(name, arguments, 3);
  const std::string& text = TextArgument(name, arguments, 0);
  const int64_t start = std::max<int64_t>(IntegerArgument(name, arguments, 1), 1) - 1;
  const int64_t count = std::max<int64_t>(IntegerArgument(name, arguments, 2), 0);
  if (start >= static_cast<int64_t>(text.size())) return std::string();
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(count));
}

ExpressionValue Pos(const std::string& name, const Arguments& arguments) {
  ExpectCount(name, arguments, 2);
  const std::string& part = TextArgument(name, arguments, 0);
  const std::string& text = TextArgument(name, arguments, 1);
  if (part.empty()) return 0;
  const size_t found = text.find(part);
  return found == std::string::npos ? 0 : static_cast<int32_t>(found + 1);
}

ExpressionValue If(const std::string& name, const Arguments& arguments) {
  if (arguments.size() != 3) throw ExpressionError("IF must have 3 parameters");
  if (TypeOf(arguments[0]) != ValueType::kBoolean) {
    throw ExpressionError("First parameter to If must be Boolean");
  }
  if (TypeOf(arguments[1]) != TypeOf(arguments[2])) {
    throw ExpressionError("IF options must be the same type");
  }
  return std::get<bool>(arguments[0]) ? arguments[1] : arguments[2];
}

std::optional<double> ReadFloat(std::string_view text) {
  const std::string trimmed = Trim(text);
  double value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size()) {
    return std::nullopt;
  }
  return value;
}

ExpressionValue ToFloat(const std::string& name, const Arguments& arguments) {
  ExpectCount(name, arguments, 1);
  const ExpressionValue& value = arguments[0];
  if (IsNumber(value)) return FloatOf(value);
  if (TypeOf(value) == ValueType::kText) {
    if (const std::optional<double> number = ReadFloat(std::get<std::string>(value))) {
      return *number;
    }
  }
  Invalid(name);
}

ExpressionValue ToIntegerValue(const std::string& name, const Arguments& arguments) {
  ExpectCount(name, arguments, 1);
  try {
    return IntegerValueOf(arguments[0]);
  } catch (const ExpressionError&) {
    Invalid(name);
  }
}

ExpressionValue ToBoolean(const std::string& name, const Arguments& arguments) {
  ExpectCount(name, arguments, 1);
  const ExpressionValue& value = arguments[0];
  switch (TypeOf(value)) {
    case ValueType::kBoolean:
      return value;
    case ValueType::kInteger:
      return std::get<int32_t>(value) != 0;
    case ValueType::kText: {
      const std::string& text = std::get<std::string>(value);
      if (EqualsNoCase(Trim(text), "TRUE")) return true;
      if (EqualsNoCase(Trim(text), "FALSE")) return false;
      break;
    }
    case ValueType::kFloat:
      break;
  }
  Invalid(name);
}

int32_t WrappingAbs(int32_t v) {
  return static_cast<int32_t>(v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v));
}
int32_t WrappingSquare(int32_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(v) * static_cast<uint32_t>(v));
}
double Square(double v) { return v * v; }
double Frac(double v) { return v - std::trunc(v); }

const std::map<std::string, Function, std::less<>>& Functions() {
  static const auto* const functions = new std::map<std::string, Function, std::less<>>{
      {"TRUNC",
       [](const std::string& name, const Arguments& arguments) -> ExpressionValue {
         ExpectCount(name, arguments, 1);
         return ToInteger(name, std::trunc(NumberArgument(name, arguments, 0)));
       }},
      {"ROUND",
       [](const std::string& name, const Arguments& arguments) -> ExpressionValue {
         ExpectCount(name, arguments, 1);
         return ToInteger(name, std::nearbyint(NumberArgument(name, arguments, 0)));
       }},
      {"ABS", Numeric(WrappingAbs, [](double v) { return std::fabs(v); })},
      {"SQR", Numeric(WrappingSquare, Square)},
      {"ARCTAN", Real([](double v) { return std::atan(v); })},
      {"COS", Real([](double v) { return std::cos(v); })},
      {"EXP", Real([](double v) { return std::exp(v); })},
      {"FRAC", Real(Frac)},
      {"INT", Real([](double v) { return std::trunc(v); })},
      {"LN", Real([](double v) { return std::log(v); })},
      {"SIN", Real([](double v) { return std::sin(v); })},
      {"SQRT", Real([](double v) { return std::sqrt(v); })},
      {"PI",
       [](const std::string& name, const Arguments& arguments) -> ExpressionValue {
         ExpectCount(name, arguments, 0);
         return std::numbers::pi;
       }},
      {"POWER",
       [](const std::string& name, const Arguments& arguments) -> ExpressionValue {
         ExpectCount(name, arguments, 2);
         return std::pow(NumberArgument(name, arguments, 0), NumberArgument(name, arguments, 1));
       }},
      {"UPPER", TextCase(true)},
      {"LOWER", TextCase(false)},
      {"COPY", Copy},
      {"POS", Pos},
      {"LENGTH",
       [](const std::string& name, const Arguments& arguments) -> ExpressionValue {
         ExpectCount(name, arguments, 1);
         return static_cast<int32_t>(TextArgument(name, arguments, 0).size());
       }},
      {"IF", If},
      {"STRING",
       [](const std::string& name, const Arguments& arguments) -> ExpressionValue {
         ExpectCount(name, arguments, 1);
         return TextOf(arguments[0]);
       }},
      {"FLOAT", ToFloat},
      {"INTEGER", ToIntegerValue},
      {"BOOLEAN", ToBoolean},
      {"OBJECT",
       [](const std::string& name, const Arguments&) -> ExpressionValue { Invalid(name); }},
      {"ENUMERATED",
       [](const std::string& name, const Arguments&) -> ExpressionValue { Invalid(name); }},
  };
  return *functions;
}

}  // namespace

bool IsExpressionFunction(std::string_view name) { return Functions().count(name) > 0; }

ExpressionValue CallExpressionFunction(const std::string& name, const Arguments& arguments) {
  const auto found = Functions().find(name);
  if (found == Functions().end()) throw ExpressionError("Unknown Identifier " + name);
  return found->second(name, arguments);
}

}  // namespace tarvelin
