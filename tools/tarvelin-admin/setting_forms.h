// What some settings hold beyond what their shape says: a time of day, a
// list of IP addresses, host names. The CLI checks these forms on top of
// the shape (cli_values.h), so what the services cannot use is refused
// before it is stored.
#pragma once

#include <cstdint>

#include "cli_values.h"
#include "setting_names.h"

namespace tarvelin::cli {

// The form of setting `id` of `family`; ValueForm::kPlain for the settings
// checked by their shape alone. For schedules `id` is the setting type.
ValueForm FormOfSetting(SettingFamily family, int32_t id);

}  // namespace tarvelin::cli
