#include "api/automation/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "foundation/date_time.h"
#include "foundation/text.h"

namespace tarvelin::automation {

namespace {

// A text that reads wholly as a number, blanks around it allowed.
std::optional<double> NumberOfText(std::string_view text) {
  std::string trimmed = Trim(text);
  text = trimmed;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int32_t> Int32OfDouble(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::nearbyint(value);  // half to even in the default mode
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(rounded);
}

std::string ShortestText(double value) {
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return {};
  return std::string(buffer, end);
}

}  // namespace

Variant Variant::Integer(VarType type, int64_t v) {
  Variant variant(type);
  variant.integer_ = v;
  return variant;
}

Variant Variant::Real(VarType type, double v) {
  Variant variant(type);
  variant.real_ = v;
  return variant;
}

Variant Variant::Text(std::string v) {
  Variant variant(VarType::kText);
  variant.text_ = std::move(v);
  return variant;
}

Variant Variant::Object(ObjectRef v) {
  Variant variant(VarType::kObject);
  variant.object_ = std::move(v);
  return variant;
}

bool Variant::is_number() const {
  switch (type_) {
    case VarType::kI2:
    case VarType::kI4:
    case VarType::kI8:
    case VarType::kUI1:
    case VarType::kR8:
    case VarType::kDate:
    case VarType::kBool:
      return true;
    default:
      return false;
  }
}

std::optional<std::string> Variant::ToText() const {
  switch (type_) {
    case VarType::kEmpty:
      return std::string();
    case VarType::kText:
      return text_;
    case VarType::kI2:
    case VarType::kI4:
    case VarType::kI8:
    case VarType::kUI1:
      return std::to_string(integer_);
    case VarType::kBool:
      return std::string(integer_ != 0 ? "True" : "False");
    case VarType::kR8:
      return ShortestText(real_);
    case VarType::kDate: {
      CivilDateTime when;
      if (!DecodeDate(real_, &when.date) || !DecodeTime(real_, &when.time)) {
        return ShortestText(real_);
      }
      return FormatDateTime("yyyy-mm-dd hh:nn:ss", when);
    }
    case VarType::kNull:
    case VarType::kObject:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<int32_t> Variant::ToInt32() const {
  switch (type_) {
    case VarType::kEmpty:
      return 0;
    case VarType::kI2:
    case VarType::kI4:
    case VarType::kI8:
    case VarType::kUI1:
    case VarType::kBool:
      if (integer_ < std::numeric_limits<int32_t>::min() ||
          integer_ > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
      }
      return static_cast<int32_t>(integer_);
    case VarType::kR8:
    case VarType::kDate:
      return Int32OfDouble(real_);
    case VarType::kText: {
      std::optional<double> number = NumberOfText(text_);
      if (!number) return std::nullopt;
      return Int32OfDouble(*number);
    }
    case VarType::kNull:
    case VarType::kObject:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<double> Variant::ToDouble() const {
  switch (type_) {
    case VarType::kEmpty:
      return 0.0;
    case VarType::kI2:
    case VarType::kI4:
    case VarType::kI8:
    case VarType::kUI1:
    case VarType::kBool:
      return static_cast<double>(integer_);
    case VarType::kR8:
    case VarType::kDate:
      return real_;
    case VarType::kText:
      return NumberOfText(text_);
    case VarType::kNull:
    case VarType::kObject:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<bool> Variant::ToBool() const {
  if (type_ == VarType::kText) {
    std::string text = Trim(text_);
    if (EqualsNoCase(text, "true")) return true;
    if (EqualsNoCase(text, "false")) return false;
  }
  std::optional<double> number = ToDouble();
  if (!number) return std::nullopt;
  return *number != 0;
}

}  // namespace tarvelin::automation
