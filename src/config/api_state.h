// ApiState: the process-wide library state that every export consults.
#pragma once

#include <string>

#include "platform/env.h"

namespace tarvelin {

struct ApiState {
  bool initialised = false;
  std::string install_path;  // ends with a separator unless empty
  std::string config_path;   // install_path + "config/" unless path.dat says otherwise
  // Stamp of settings.cfg taken right after the last successful load; a
  // fresh state matches no file.
  FileStamp settings_stamp{.exists = false, .mtime_ns = -1};
  bool config_changed = false;  // raised by SetConfigSetting, cleared by SaveConfig
};

}  // namespace tarvelin
