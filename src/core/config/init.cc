#include "core/config/init.h"

#include <cerrno>
#include <string>

#include "core/config/backend_connection.h"
#include "core/config/config_save.h"
#include "core/config/configuration.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/os_path.h"
#include "platform/stale_temp_files.h"

namespace tarvelin {

namespace {

constexpr size_t kPathMax = 255;

std::string SettingsFile(const Context& context) {
  return context.api.config_path + "settings.cfg";
}

// A stamp that cannot be taken matches no loaded version.
FileStamp SettingsStamp(const Context& context) {
  return context.env().GetFileStamp(SettingsFile(context)).value_or(FileStamp{});
}

// The folder of the running program, with a trailing separator; empty when
// it cannot be found.
std::string ProgramDirectory(const Context& context) {
  const Result<std::string> program = context.env().ProgramPath();
  if (!program.ok()) return std::string();
  return program->substr(0, program->rfind(kPathSeparator) + 1);
}

Status InitFromEnvironment(Context& context) {
  std::string install = context.env().GetVariable("TARVELIN_INSTALL_DIR");
  if (!install.empty() && !HasTrailingSeparator(install)) install += kPathSeparator;
  context.api.install_path = CutTo(install, kPathMax);
  Status result = Init(context, context.api.install_path.c_str());
  context.api.initialised = true;
  return result;
}

// InstallPath and ConfigPath from `path` and path.dat.
void Locate(Context& context, const char* path) {
  ApiState& api = context.api;
  std::string install = ToOsPath(path);
  if (!install.empty() && !HasTrailingSeparator(install)) install += kPathSeparator;
  api.install_path = CutTo(install, kPathMax);
  api.config_path = CutTo(install + "config" + kPathSeparator, kPathMax);

  PathDat found;
  ReadPathDat(context.env(), api.install_path, &found);
  if (!found.line(kPathDatConfigDirectory).empty()) {
    api.config_path = found.line(kPathDatConfigDirectory);
  }
  MergePathDat(found, &context.config.path_dat);
}

}  // namespace

Status Init(Context& context, const char* path) {
  ApiState& api = context.api;
  if (api.initialised && SettingsStamp(context) == api.settings_stamp) {
    // Done released the database library: the accounts must not fall back
    // to the files while the configuration still names the database.
    if (!context.backend().loaded()) ConnectBackend(context);
    return Status();
  }
  if (path == nullptr) return InitFromEnvironment(context);

  Locate(context, path);
  if (!LoadConfiguration(context, /*must_exist=*/true)) {
    return Status::NotLoadable("cannot read " + SettingsFile(context), errno);
  }
  api.settings_stamp = SettingsStamp(context);
  api.initialised = true;
  // Files half written by a program that died there. Only the
  // configuration folder: a program may Init for every request, and the
  // domain folders (thousands of them) are swept by backups and restores.
  RemoveStaleTempFiles(context.env(), api.config_path);
  return Status();
}

void LoadToInspect(Context& context, const char* path) {
  const std::string install =
      path != nullptr ? std::string(path) : context.env().GetVariable("TARVELIN_INSTALL_DIR");
  Locate(context, install.c_str());
  LoadConfiguration(context, /*must_exist=*/false);
  context.api.settings_stamp = SettingsStamp(context);
  context.api.initialised = true;
}

void Done(Context& context) {
  if (context.api.config_changed) SaveConfig(context);
  context.backend().Release();
}

bool AutoInit(Context& context) {
  return Init(context, ProgramDirectory(context).c_str()).ok() || Init(context, nullptr).ok();
}

}  // namespace tarvelin
