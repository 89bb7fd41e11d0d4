#include "cli_values.h"

#include "cli_output.h"
#include "schema/setting_text.h"

namespace tarvelin::cli {

namespace {

constexpr SettingShape kIdShape{SettingKind::kNumber, 4};

}  // namespace

SettingValue ValueOfText(const SettingShape& shape, const std::string& text) {
  return Checked(ParseSettingValue(shape, text));
}

int32_t ParseId(const std::string& text) {
  return static_cast<int32_t>(ValueOfText(kIdShape, text).number());
}

Assignment ParseAssignment(const std::string& assignment) {
  const size_t equals = assignment.find('=');
  if (equals == std::string::npos) throw CommandError("not ID=VALUE: " + assignment, ExitCode::kUsage);
  return {ParseId(assignment.substr(0, equals)), assignment.substr(equals + 1)};
}

nlohmann::json JsonOf(const SettingValue& value) {
  switch (value.kind()) {
    case SettingKind::kNumber:
      return value.number();
    case SettingKind::kFlag:
      return value.flag() ? 1 : 0;
    case SettingKind::kText:
      return Utf8OfLatin1(value.text());
    case SettingKind::kDateTime:
    case SettingKind::kBlock:
      break;
  }
  return SettingValueText(value);
}

std::string HumanOf(const SettingValue& value) {
  if (value.kind() != SettingKind::kText) return SettingValueText(value);
  static const char kDigits[] = "0123456789abcdef";
  std::string line;
  for (char c : Utf8OfLatin1(value.text())) {
    if (static_cast<unsigned char>(c) >= 32) {
      line += c;
    } else {
      line += std::string("\\x") + kDigits[c >> 4] + kDigits[c & 15];
    }
  }
  return line;
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
