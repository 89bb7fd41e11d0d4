#include "schema/setting_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "foundation/date_time.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

Result<SettingValue> ParseNumber(const SettingShape& shape, std::string_view given) {
  const std::string text = Trim(given);
  const bool hex = StartsWithNoCase(text, "0x");
  const char* begin = text.data() + (hex ? 2 : 0);
  const char* end = text.data() + text.size();
  int64_t number = 0;
  // A minus sign is a signed number's; an unsigned one has none to take.
  const bool minus_allowed = shape.is_signed && !hex;
  const auto [stop, error] = std::from_chars(begin, end, number, hex ? 16 : 10);
  if (error == std::errc::result_out_of_range && stop == end) {
    return Status::InvalidArgument(std::string(given) + " does not fit in any setting");
  }
  if (error != std::errc() || stop != end || begin == end || (*begin == '-' && !minus_allowed)) {
    return Status::InvalidArgument((shape.is_signed ? "not a whole number: " : "not a number: ") +
                                   std::string(given));
  }
  return SettingValue::Number(number);
}

Result<SettingValue> ParseFlag(std::string_view given) {
  const std::string text = ToLower(Trim(given));
  if (text == "1" || text == "true" || text == "on" || text == "yes") {
    return SettingValue::Flag(true);
  }
  if (text == "0" || text == "false" || text == "off" || text == "no") {
    return SettingValue::Flag(false);
  }
  return Status::InvalidArgument("not a flag (1/0, true/false, on/off): " + std::string(given));
}

Result<SettingValue> ParseDateTime(std::string_view given) {
  const std::string text = Trim(given);
  CivilDateTime when;
  char tail = 0;
  const int parts =
      std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &when.date.year, &when.date.month,
                  &when.date.day, &when.time.hour, &when.time.minute, &when.time.second, &tail);
  double date = 0, time = 0;
  if ((parts == 3 || parts == 5 || parts == 6) && EncodeDate(when.date, &date) &&
      EncodeTime(when.time, &time)) {
    return SettingValue::DateTime(date + time);
  }
  char* end = nullptr;
  const double days = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(days)) {
    return Status::InvalidArgument("not a date (yyyy-mm-dd [hh:mm[:ss]]) or day number: " +
                                   std::string(given));
  }
  return SettingValue::DateTime(days);
}

Result<SettingValue> ParseBlock(std::string_view text) {
  if (text.size() % 2 != 0) {
    return Status::InvalidArgument("a block is given as an even number of hex digits");
  }
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    uint8_t byte = 0;
    const auto [stop, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (error != std::errc() || stop != text.data() + i + 2) {
      return Status::InvalidArgument("not hex: " + std::string(text.substr(i, 2)));
    }
    bytes.push_back(byte);
  }
  return SettingValue::Block(std::move(bytes));
}

Result<SettingValue> ParseOfKind(const SettingShape& shape, std::string_view text) {
  switch (shape.kind) {
    case SettingKind::kNumber:
      return ParseNumber(shape, text);
    case SettingKind::kFlag:
      return ParseFlag(text);
    case SettingKind::kDateTime:
      return ParseDateTime(text);
    case SettingKind::kText:
      return SettingValue::Text(std::string(text));
    case SettingKind::kBlock:
      return ParseBlock(text);
  }
  return Status::InvalidArgument("the shape's kind is unknown");
}

}  // namespace

Result<SettingValue> ParseSettingValue(const SettingShape& shape, std::string_view text) {
  Result<SettingValue> value = ParseOfKind(shape, text);
  if (!value.ok()) return value;
  TARVELIN_RETURN_IF_ERROR(CheckSettingValueFits(shape, *value));
  return value;
}

std::string SettingValueText(const SettingValue& value) {
  switch (value.kind()) {
    case SettingKind::kNumber:
      return std::to_string(value.number());
    case SettingKind::kFlag:
      return value.flag() ? "1" : "0";
    case SettingKind::kDateTime:
      return DateTimeText(value.date_time());
    case SettingKind::kText:
      return value.text();
    case SettingKind::kBlock: {
      std::string text;
      for (uint8_t byte : value.block()) {
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 15];
      }
      return text;
    }
  }
  return {};
}

std::string DateTimeText(double days) {
  CivilDateTime when;
  if (!DecodeDate(days, &when.date) || !DecodeTime(days, &when.time)) {
    std::ostringstream number;
    number << days;
    return number.str();
  }
  return FormatDateTime("yyyy-mm-dd hh:nn:ss", when);
}

}  // namespace tarvelin
