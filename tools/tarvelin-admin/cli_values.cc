#include "cli_values.h"

#include <cstdio>

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

SettingValue ValueOfText(const SettingShape& shape, const std::string& typed, ValueForm form) {
  // Records hold single-byte texts, shown back as Latin-1: what is typed in
  // UTF-8 is stored in that form, so that it reads back as it was typed.
  const std::string text = shape.kind == SettingKind::kText ? Latin1OfUtf8(typed) : typed;
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
  if (equals == std::string::npos)
    throw CommandError("not ID=VALUE: " + assignment, ExitCode::kUsage);
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

std::string Latin1OfUtf8(std::string_view text) {
  std::string single;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      single += static_cast<char>(lead);
      continue;
    }
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    uint32_t code = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
    bool well_formed = length != 0 && i + length <= text.size();
    for (size_t k = 1; well_formed && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      well_formed = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!well_formed) return std::string(text);  // no UTF-8: taken byte for byte
    if (code > 0xFF) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
      Refuse("\"" + std::string(text.substr(i, length)) + "\" (" + hex +
             ") cannot be stored: texts hold single-byte (Latin-1) characters only");
    }
    single += static_cast<char>(code);
    i += length - 1;
  }
  return single;
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
