#include "cli_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cli_output.h"
#include "foundation/date_time.h"
#include "foundation/text.h"

namespace tarvelin::cli {

uint32_t ParseNumber(const std::string& text) {
  const std::string trimmed = Trim(text);
  const bool hex = StartsWithNoCase(trimmed, "0x");
  const char* begin = trimmed.data() + (hex ? 2 : 0);
  const char* end = trimmed.data() + trimmed.size();
  uint32_t value = 0;
  const auto [ptr, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (error != std::errc() || ptr != end || begin == end) {
    throw CommandError("not a number: " + text);
  }
  return value;
}

uint8_t ParseFlag(const std::string& text) {
  const std::string lower = ToLower(Trim(text));
  if (lower == "true" || lower == "on" || lower == "yes") return 1;
  if (lower == "false" || lower == "off" || lower == "no") return 0;
  uint32_t value = 256;
  try {
    value = ParseNumber(text);
  } catch (const CommandError&) {
  }
  if (value > 255) throw CommandError("not a flag (1/0, true/false, on/off): " + text);
  return static_cast<uint8_t>(value);
}

std::vector<uint8_t> ParseHex(const std::string& text) {
  if (text.size() % 2 != 0) throw CommandError("a block is given as an even number of hex digits");
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    uint8_t byte = 0;
    const auto [ptr, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (error != std::errc() || ptr != text.data() + i + 2) {
      throw CommandError("not hex: " + text.substr(i, 2));
    }
    bytes.push_back(byte);
  }
  return bytes;
}

double ParseDateTime(const std::string& text) {
  const std::string trimmed = Trim(text);
  CivilDateTime when;
  char tail = 0;
  const int parts =
      std::sscanf(trimmed.c_str(), "%d-%d-%d %d:%d:%d%c", &when.date.year, &when.date.month,
                  &when.date.day, &when.time.hour, &when.time.minute, &when.time.second, &tail);
  double date = 0, time = 0;
  if ((parts == 3 || parts == 5 || parts == 6) && EncodeDate(when.date, &date) &&
      EncodeTime(when.time, &time)) {
    return date + time;
  }
  char* end = nullptr;
  const double days = std::strtod(trimmed.c_str(), &end);
  if (trimmed.empty() || end != trimmed.c_str() + trimmed.size() || !std::isfinite(days)) {
    throw CommandError("not a date (yyyy-mm-dd [hh:mm[:ss]]) or day number: " + text);
  }
  return days;
}

std::string Hex(const uint8_t* bytes, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

std::string DateTimeText(double value) {
  CivilDateTime when;
  if (!DecodeDate(value, &when.date) || !DecodeTime(value, &when.time)) {
    std::ostringstream number;
    number << value;
    return number.str();
  }
  return FormatDateTime("yyyy-mm-dd hh:nn:ss", when);
}

std::string HumanText(const nlohmann::json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string Utf8OfLatin1(std::string_view text) {
  std::string utf8;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | byte >> 6);
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

}  // namespace tarvelin::cli
