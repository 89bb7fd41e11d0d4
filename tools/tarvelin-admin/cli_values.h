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

// A setting's value from its text form (schema/setting_text.h); throws
// CommandError saying why it does not parse or fit.
SettingValue ValueOfText(const SettingShape& shape, const std::string& text);
// A setting id: a number, decimal or after "0x" hexadecimal.
int32_t ParseId(const std::string& text);

// "ID=VALUE" as --set takes it.
struct Assignment {
  int32_t id;
  std::string text;
};
Assignment ParseAssignment(const std::string& assignment);

// A value in JSON: numbers and flags (1 or 0) as numbers, a date-time as
// its text form, a text as UTF-8, a block as hex.
nlohmann::json JsonOf(const SettingValue& value);
// A value as one line of human output: a text in UTF-8 with its control
// characters shown as \xNN.
std::string HumanOf(const SettingValue& value);
// A JSON value as a line of human output: strings as they are.
std::string HumanText(const nlohmann::json& value);
// Record texts are single-byte; JSON wants UTF-8, so bytes from 128 up are
// taken as Latin-1.
std::string Utf8OfLatin1(std::string_view text);

}  // namespace tarvelin::cli
