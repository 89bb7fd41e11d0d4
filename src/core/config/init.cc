#include "core/config/init.h"

#include <string>

#include "core/config/config_save.h"
#include "config/config_store.h"
#include "foundation/text.h"
#include "api/c/api_result.h"
#include "core/context.h"
#include "platform/environment.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr size_t kPathMax = 255;

std::string SettingsFile(const Library& library) {
  return library.api.config_path + "settings.cfg";
}

int32_t InitFromEnvironment(Library& library) {
  std::string install = GetEnvironment("TARVELIN_INSTALL_DIR");
  if (!install.empty() && !HasTrailingSeparator(install)) install += kPathSeparator;
  library.api.install_path = CutTo(install, kPathMax);
  const int32_t result = Init(library, library.api.install_path.c_str());
  library.api.initialised = true;
  return result;
}

}  // namespace

int32_t Init(Library& library, const char* path) {
  ApiState& api = library.api;
  if (api.initialised && GetFileStamp(SettingsFile(library)) == api.settings_stamp) return 0;
  if (path == nullptr) return InitFromEnvironment(library);

  std::string install = ToOsPath(path);
  if (!install.empty() && !HasTrailingSeparator(install)) install += kPathSeparator;
  api.install_path = CutTo(install, kPathMax);
  api.config_path = CutTo(install + "config" + kPathSeparator, kPathMax);

  PathDat found;
  ReadPathDat(api.install_path, &found);
  if (!found.line(kPathDatConfigDirectory).empty()) {
    api.config_path = found.line(kPathDatConfigDirectory);
  }
  MergePathDat(found, &library.config.path_dat);

  if (!LoadServerConfig(api, library.config, &library.domains, /*must_exist=*/true)) {
    return kResultNotLoadable;
  }
  api.settings_stamp = GetFileStamp(SettingsFile(library));
  api.initialised = true;
  return 0;
}

void Done(Library& library) {
  if (library.api.config_changed) SaveConfig(library);
}

bool AutoInit(Library& library) {
  return Init(library, ExecutableDirectory().c_str()) == 0 || Init(library, nullptr) == 0;
}

}  // namespace tarvelin
