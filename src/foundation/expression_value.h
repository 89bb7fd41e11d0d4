// Values of the small expression language that account queries are
// written in: text, float, integer (32-bit) or boolean.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>

namespace tarvelin {

// Every parse and evaluation failure of an expression; what() is the text
// the language defines for it.
class ExpressionError : public std::runtime_error {
 public:
  explicit ExpressionError(const std::string& message) : std::runtime_error(message) {}
};

// The alternatives are in the order of the comparison rule: text before
// float before integer before boolean.
enum class ValueType { kText = 0, kFloat = 1, kInteger = 2, kBoolean = 3 };

using ExpressionValue = std::variant<std::string, double, int32_t, bool>;

inline ValueType TypeOf(const ExpressionValue& value) {
  return static_cast<ValueType>(value.index());
}

// "string", "float", "integer", "boolean": the type names of the language.
const char* TypeName(ValueType type);

// The text form: integers in decimal, floats in their shortest round-trip
// form, booleans as TRUE or FALSE.
std::string TextOf(const ExpressionValue& value);

// A float of any value but text; throws for a text.
double FloatOf(const ExpressionValue& value);

// The integer value a whole expression stands for: a boolean 1 or 0, a float
// truncated, a text read as a decimal integer. Throws when there is none.
int32_t IntegerValueOf(const ExpressionValue& value);

}  // namespace tarvelin
