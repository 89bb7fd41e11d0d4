#include "account_setting_value.h"

#include "core/accounts/user_settings.h"
#include "cli_output.h"
#include "cli_values.h"
#include "foundation/bytes.h"

namespace tarvelin::cli {

std::vector<uint8_t> AccountSettingBytes(int32_t id, const std::string& text) {
  std::vector<uint8_t> bytes;
  switch (DescribeUserSetting(id)) {
    case UserSettingKind::kUnknown:
      throw CommandError("unknown account setting id " + std::to_string(id));
    case UserSettingKind::kNumber:
      bytes.resize(4);
      PutLE(bytes.data(), 4, ParseNumber(text));
      break;
    case UserSettingKind::kFlag:
      bytes.push_back(ParseFlag(text));
      break;
    case UserSettingKind::kDateTime:
      bytes.resize(8);
      PutDouble(bytes.data(), ParseDateTime(text));
      break;
    case UserSettingKind::kText:
      bytes.assign(text.begin(), text.end());
      break;
  }
  return bytes;
}

}  // namespace tarvelin::cli
