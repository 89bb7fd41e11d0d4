// What a configuration backup takes, in archive order: the configuration
// directory, then the sibling folders that the settings name, each under
// a "..\" prefix so that a restore into the configuration directory puts
// them back beside it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory_walk.h"

namespace tarvelin {

struct ApiState;
struct ConfigState;
class ServerConfig;

namespace backup_offsets {
inline constexpr int kTakeMail = 20857;           // setting 254
inline constexpr int kTakeMailTempFiles = 26979;  // setting 426
inline constexpr int kMailMaxMegabytes = 26980;   // setting 427, 0 = no limit
inline constexpr int kMailMaxAgeDays = 26984;     // setting 428, 0 = no limit
inline constexpr int kExtraFolders = 26988;       // setting 429, ";"-separated
inline constexpr int kTakeLogs = 27789;           // setting 434
}  // namespace backup_offsets

struct BackupSource {
  std::string directory;  // as configured, with a trailing separator
  std::string prefix;     // archive form: empty or ending with "\"
  bool recursive = true;
  bool mail = false;  // the mail root: its file filters apply
};

// The sources whose conditions hold now (a directory that must exist is
// checked here).
std::vector<BackupSource> BackupSources(Env& env, const ApiState& api, const ConfigState& config);

// Which mail files a backup takes.
struct MailFilter {
  bool take_temporary = false;   // *.tmp and *.imap too
  int64_t max_bytes = 0;         // 0: no limit
  int64_t changed_since_ns = 0;  // 0: no limit
};
MailFilter MailFilterOf(const ServerConfig& record, int64_t now_ns);
bool MailFileWanted(const MailFilter& filter, std::string_view file_name, int64_t size,
                    int64_t mtime_ns);

// Calls `take` for every file of `source` that passes its filters; false
// from `take` stops the walk. A directory that cannot be read adds nothing.
// Work files (jobs/backup/work_files.h) never pass: temporary files go to
// `found_temporary` instead (its full path), when given.
void WalkSource(Env& env, const BackupSource& source, const MailFilter& filter,
                const std::function<bool(const WalkedFile&)>& take,
                const std::function<void(const std::string& path)>& found_temporary = {});

}  // namespace tarvelin
