#include "schema/property_line.h"

#include <charconv>

#include "foundation/text.h"

namespace tarvelin {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

int32_t ReadNumber(std::string_view text) {
  if (text.find('$') != std::string_view::npos) {
    uint32_t value = 0;  // wraps like the 32-bit register it models
    for (char c : text) value = value * 16 + static_cast<uint32_t>(HexDigit(c));
    return static_cast<int32_t>(value);
  }
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return value;
}

}  // namespace

std::optional<PropertyEntry> ParsePropertyLine(std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos || line.find("//") == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string lower = ToLower(line);
  PropertyEntry entry;
  if (lower.find(" string") != std::string::npos) {
    entry.kind = ValueKind::kText;
  } else if (lower.find(" date") != std::string::npos) {
    entry.kind = ValueKind::kDateTime;
  }
  entry.name = CutTo(Trim(std::string_view(lower).substr(0, equals)), kPropertyNameMax);
  entry.spelled = CutTo(Trim(line.substr(0, equals)), kPropertyNameMax);
  std::string_view value = std::string_view(lower).substr(equals + 1);
  value = value.substr(0, value.find('='));
  value = value.substr(0, value.find(';'));
  entry.number = ReadNumber(Trim(value));
  return entry;
}

}  // namespace tarvelin
