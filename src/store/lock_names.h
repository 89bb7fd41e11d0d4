// The cross-process locks of an installation: one lock file in the
// configuration folder, and the names of the locks in it, one for each
// shared file (or set of files) that is read, changed and written back.
// Every program of the installation that writes these files takes the same
// names, in the order platform/cross_process_locks.h gives.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// Never packed by a backup nor replaced by a restore.
inline constexpr std::string_view kLockFileName = "admin.lock";

inline std::string LockFileOf(std::string_view config_path) {
  return std::string(config_path) + std::string(kLockFileName);
}

// settings.cfg together with domains.cfg: the domain count lives in the
// settings record.
inline constexpr std::string_view kSettingsLock = "settings";
// remote.cfg.
inline constexpr std::string_view kRemoteLock = "remote";
// A domain's users.cfg (`lower_domain` as stored).
inline std::string AccountsLockOf(std::string_view lower_domain) {
  return "users:" + std::string(lower_domain);
}
// A domain's record (domain.cfg), for a load-change-save of one caller.
inline std::string DomainRecordLockOf(std::string_view lower_domain) {
  return "domain:" + std::string(lower_domain);
}
// spam.dat, the antispam settings (whichever folder path.dat puts it in).
inline constexpr std::string_view kSpamSettingsLock = "spam-settings";
// migrate.dat, the migration queue, with its logs (migrate.err and the
// migration log).
inline constexpr std::string_view kMigrationLock = "migrate";
// Any other single file, by the full path it is written at.
inline std::string FileLockOf(std::string_view path) { return "file:" + std::string(path); }

}  // namespace tarvelin
