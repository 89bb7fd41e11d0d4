// How the commands read what is typed on the command line and show the
// values of settings.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin::cli {

// What a setting holds beyond its shape (setting_forms.h says which).
enum class ValueForm {
  kPlain,
  kTimeOfDay,     // seconds since midnight, 0 to 86399
  kAddressList,   // ";"-separated IP addresses
  kHostNameList,  // ";"-separated DNS host names
  kHostAndPort,   // a host name or IP address, optionally ":" and a port
};

// A setting's value from its text form (schema/setting_text.h); throws
// CommandError (refused) saying why it does not parse or what limit it
// passes: a number outside the field's width and sign, a text longer than
// its capacity, a flag other than 1/0 (true/false, on/off, yes/no), a date
// that does not parse or lies outside the years 1 to 9999, or a value
// outside its form. The library's own setters cut and wrap instead; the
// CLI refuses.
SettingValue ValueOfText(const SettingShape& shape, const std::string& text,
                         ValueForm form = ValueForm::kPlain);
// A setting id: a number, decimal or after "0x" hexadecimal.
int32_t ParseId(const std::string& text);

// "ID=VALUE" as --set takes it.
struct Assignment {
  int32_t id;
  std::string text;
};
Assignment ParseAssignment(const std::string& assignment);

// A value in JSON: numbers and flags (1 or 0) as numbers, a date-time as
// its text form (null for day 0, "never" set), a text as UTF-8, a block as
// hex.
nlohmann::json JsonOf(const SettingValue& value);
// A value as one line of human output: a text in UTF-8 with its control
// characters shown as \xNN, a date-time of day 0 as "never".
std::string HumanOf(const SettingValue& value);
// A JSON value as a line of human output: strings as they are.
std::string HumanText(const nlohmann::json& value);
// Record texts are single-byte; JSON wants UTF-8, so bytes from 128 up are
// taken as Latin-1.
std::string Utf8OfLatin1(std::string_view text);
// The way back: UTF-8 as single-byte Latin-1. Refuses (CommandError, exit 4)
// a character beyond Latin-1; a text that is no UTF-8 is taken byte for
// byte.
std::string Latin1OfUtf8(std::string_view text);

}  // namespace tarvelin::cli
