#include "cli_values.h"

#include "cli_output.h"
#include "foundation/date_time.h"
#include "foundation/text.h"
#include "host_names.h"
#include "schema/setting_text.h"

namespace tarvelin::cli {

namespace {

constexpr SettingShape kIdShape{SettingKind::kNumber, 4};
constexpr int64_t kSecondsPerDay = 86400;

void Refuse(const std::string& why) {
  if (!why.empty()) throw CommandError(why, ExitCode::kRefused);
}

std::string FormProblem(ValueForm form, const SettingValue& value) {
  // A form applies to its kind of value only.
  if (form == ValueForm::kTimeOfDay ? value.kind() != SettingKind::kNumber
                                    : value.kind() != SettingKind::kText) {
    return "";
  }
  switch (form) {
    case ValueForm::kPlain:
      return "";
    case ValueForm::kTimeOfDay:
      if (value.number() >= 0 && value.number() < kSecondsPerDay) return "";
      return "a time of day of " + std::to_string(value.number()) +
             " seconds is outside 0 to 86399 (00:00:00 to 23:59:59)";
    case ValueForm::kAddressList:
      return AddressListProblem(value.text());
    case ValueForm::kHostNameList:
      return HostNameListProblem(value.text());
    case ValueForm::kHostAndPort:
      return HostAndPortProblem(value.text());
  }
  return "";
}

// An unsigned field takes no minus sign: say what it holds instead.
void RefuseNegative(const SettingShape& shape, const std::string& text) {
  const std::string given = Trim(text);
  if (shape.kind != SettingKind::kNumber || shape.is_signed || given.size() < 2 ||
      given[0] != '-' || given.find_first_not_of("0123456789", 1) != std::string::npos) {
    return;
  }
  const int width = shape.size < 1 || shape.size > 4 ? 4 : shape.size;
  Refuse(given + " does not fit in " + std::to_string(width) + (width == 1 ? " byte" : " bytes") +
         " (0 to " + std::to_string((int64_t{1} << (8 * width)) - 1) + ")");
}

}  // namespace

SettingValue ValueOfText(const SettingShape& shape, const std::string& text, ValueForm form) {
  RefuseNegative(shape, text);
  if (shape.kind == SettingKind::kText && shape.size > 0 &&
      text.size() > static_cast<size_t>(shape.size)) {
    Refuse("a text of " + std::to_string(text.size()) + " characters is longer than " +
           std::to_string(shape.size) + " characters");
  }
  const SettingValue value = Checked(ParseSettingValue(shape, text));
  if (value.kind() == SettingKind::kDateTime) {
    CivilDate date;
    if (!DecodeDate(value.date_time(), &date)) {
      Refuse(text + " is no date from 0001-01-01 to 9999-12-31");
    }
  }
  Refuse(FormProblem(form, value));
  return value;
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
      if (value.date_time() == 0) return nullptr;
      break;
    case SettingKind::kBlock:
      break;
  }
  return SettingValueText(value);
}

std::string HumanOf(const SettingValue& value) {
  if (value.kind() == SettingKind::kDateTime && value.date_time() == 0) return "never";
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
