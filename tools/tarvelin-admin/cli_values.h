// How the commands read values typed on the command line and show the
// values of records.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin::cli {

// Decimal, or hexadecimal after "0x"; throws CommandError otherwise.
uint32_t ParseNumber(const std::string& text);
// 1/0, true/false, on/off, yes/no, or a number up to 255 (stored as given).
uint8_t ParseFlag(const std::string& text);
// An even number of hex digits.
std::vector<uint8_t> ParseHex(const std::string& text);
// "yyyy-mm-dd", optionally with " hh:mm" or " hh:mm:ss", or a day number.
double ParseDateTime(const std::string& text);

std::string Hex(const uint8_t* bytes, size_t length);
// "yyyy-mm-dd hh:nn:ss", or the bare number when it is no date.
std::string DateTimeText(double value);
// A JSON value as a line of human output: strings as they are.
std::string HumanText(const nlohmann::json& value);
// Record texts are single-byte; JSON wants UTF-8, so bytes from 128 up are
// taken as Latin-1.
std::string Utf8OfLatin1(std::string_view text);

}  // namespace tarvelin::cli
