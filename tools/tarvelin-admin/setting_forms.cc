#include "setting_forms.h"

#include "schema/schedule_layout.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kServerHostNames = 11;
constexpr int32_t kServerAddresses = 39;
constexpr int32_t kMigrationSource = 366;

ValueForm ConfigForm(int32_t id) {
  switch (id) {
    case kServerHostNames:
      return ValueForm::kHostNameList;
    case kServerAddresses:
      return ValueForm::kAddressList;
    case kMigrationSource:
      return ValueForm::kHostAndPort;
    default:
      return ValueForm::kPlain;
  }
}

}  // namespace

ValueForm FormOfSetting(SettingFamily family, int32_t id) {
  switch (family) {
    case SettingFamily::kConfig:
      return ConfigForm(id);
    case SettingFamily::kSchedule: {
      const ScheduleField* field = FindScheduleField(id);
      return field != nullptr && field->kind == FieldKind::kTimeOfDay ? ValueForm::kTimeOfDay
                                                                      : ValueForm::kPlain;
    }
    case SettingFamily::kDomain:
    case SettingFamily::kAccount:
    case SettingFamily::kRemote:
      break;
  }
  return ValueForm::kPlain;
}

}  // namespace tarvelin::cli
