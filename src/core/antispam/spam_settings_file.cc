#include "core/antispam/spam_settings_file.h"

#include "config/path_dat.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "platform/os_path.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr std::string_view kSpamSettingsFileName = "spam.dat";

std::string PathOr(Context& context, std::string_view file) {
  return file.empty() ? SpamSettingsPath(context) : std::string(file);
}

}  // namespace

std::string SpamSettingsPath(Context& context) {
  const std::string& line = context.config.path_dat.line(kPathDatSpamDirectory);
  context.config.derived.spam_directory = line.empty()
                                              ? context.api.install_path + "spam" + kPathSeparator
                                              : WithTrailingSeparator(line);
  return context.config.derived.spam_directory + std::string(kSpamSettingsFileName);
}

Status LoadSpamSettings(Context& context, std::string_view file) {
  const std::string path = PathOr(context, file);
  std::string content;
  if (Status read = context.env().ReadFile(path, &content); !read.ok()) {
    if (read.code() != StatusCode::kNotFound) return read;
  } else {
    context.spam_settings().ApplyFileText(content);
  }
  context.spam_settings().MarkFreshlyLoaded();
  return Status::Ok();
}

Status SaveSpamSettings(Context& context, std::string_view file) {
  return WriteFileAtomicCreatingFolder(context.env(), PathOr(context, file),
                                       context.spam_settings().FileText());
}

Status ChangeSpamSetting(Context& context, std::string_view key, std::string_view value) {
  Result<CrossProcessLocks::Held> held =
      context.file_locks().Acquire(LockFileOf(context.api.config_path), kSpamSettingsLock);
  if (!held.ok()) return held.status();
  const std::string path = SpamSettingsPath(context);
  if (Status loaded = LoadSpamSettings(context, path); !loaded.ok()) return loaded;
  if (Status set = context.spam_settings().Set(key, value); !set.ok()) return set;
  return SaveSpamSettings(context, path);
}

}  // namespace tarvelin
