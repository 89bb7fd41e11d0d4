#include "account_setting_value.h"

#include "core/accounts/user_settings.h"
#include "cli_output.h"
#include "cli_values.h"
#include "foundation/bytes.h"

namespace tarvelin::cli {

std::vector<uint8_t> AccountSettingBytes(int32_t id, const std::string& text) {
  std::vector<uint8_t> bytes;
  const Result<SettingShape> shape = DescribeUserSetting(id);
  if (!shape.ok()) throw CommandError("unknown account setting id " + std::to_string(id));
  switch (shape->kind) {
    case SettingKind::kNumber:
      bytes.resize(4);
      PutLE(bytes.data(), 4, ParseNumber(text));
      break;
    case SettingKind::kFlag:
      bytes.push_back(ParseFlag(text));
      break;
    case SettingKind::kDateTime:
      bytes.resize(8);
      PutDouble(bytes.data(), ParseDateTime(text));
      break;
    case SettingKind::kText:
    case SettingKind::kBlock:
      bytes.assign(text.begin(), text.end());
      break;
  }
  return bytes;
}

}  // namespace tarvelin::cli
