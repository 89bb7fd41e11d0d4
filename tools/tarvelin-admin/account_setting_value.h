// Account settings typed on the command line: the bytes SetUserSetting
// takes for an id, by the id's kind. account set, account add and account
// import share it so that a value means the same everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvelin::cli {

// The value of setting `id` as SetUserSetting takes it: 4 bytes for a
// number, 1 for a flag, 8 for a date-time, the text as it stands. Throws
// CommandError for an unknown id or a value its kind cannot take.
std::vector<uint8_t> AccountSettingBytes(int32_t id, const std::string& text);

}  // namespace tarvelin::cli
