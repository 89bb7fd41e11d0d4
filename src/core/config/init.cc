#include "core/config/init.h"

#include <cerrno>
#include <string>

#include "core/config/config_save.h"
#include "core/config/configuration.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/environment.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr size_t kPathMax = 255;

std::string SettingsFile(const Context& context) {
  return context.api.config_path + "settings.cfg";
}

Status InitFromEnvironment(Context& context) {
  std::string install = GetEnvironment("TARVELIN_INSTALL_DIR");
  if (!install.empty() && !HasTrailingSeparator(install)) install += kPathSeparator;
  context.api.install_path = CutTo(install, kPathMax);
  Status result = Init(context, context.api.install_path.c_str());
  context.api.initialised = true;
  return result;
}

}  // namespace

Status Init(Context& context, const char* path) {
  ApiState& api = context.api;
  if (api.initialised && GetFileStamp(SettingsFile(context)) == api.settings_stamp) {
    return Status();
  }
  if (path == nullptr) return InitFromEnvironment(context);

  std::string install = ToOsPath(path);
  if (!install.empty() && !HasTrailingSeparator(install)) install += kPathSeparator;
  api.install_path = CutTo(install, kPathMax);
  api.config_path = CutTo(install + "config" + kPathSeparator, kPathMax);

  PathDat found;
  ReadPathDat(api.install_path, &found);
  if (!found.line(kPathDatConfigDirectory).empty()) {
    api.config_path = found.line(kPathDatConfigDirectory);
  }
  MergePathDat(found, &context.config.path_dat);

  if (!LoadConfiguration(context, /*must_exist=*/true)) {
    return Status::NotLoadable("cannot read " + SettingsFile(context), errno);
  }
  api.settings_stamp = GetFileStamp(SettingsFile(context));
  api.initialised = true;
  return Status();
}

void Done(Context& context) {
  if (context.api.config_changed) SaveConfig(context);
}

bool AutoInit(Context& context) {
  return Init(context, ExecutableDirectory().c_str()).ok() || Init(context, nullptr).ok();
}

}  // namespace tarvelin
