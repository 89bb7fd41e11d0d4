#include "jobs/backup/backup_sources.h"

#include <algorithm>

#include "schema/config_offsets.h"
#include "config/config_state.h"
#include "foundation/text.h"
#include "config/api_state.h"
#include "jobs/backup/work_files.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int64_t kNsPerDay = 86400LL * 1000000000;
// Longer spans than this many days reach before any file time anyway, and
// would overflow the nanosecond count.
constexpr int64_t kMaxAgeDays = 100000;

// "..\" + the folder as written, in archive form, ending with "\".
std::string SiblingPrefix(std::string_view folder) {
  std::string prefix = "..\\";
  for (char c : folder) prefix.push_back(c == '/' ? '\\' : c);
  if (!HasTrailingSeparator(prefix)) prefix.push_back('\\');
  return prefix;
}

void AddExisting(Env& env, std::vector<BackupSource>* sources, std::string directory,
                 std::string prefix, bool recursive) {
  directory = WithTrailingSeparator(directory);
  if (!DirectoryExists(env, directory)) return;
  sources->push_back({std::move(directory), std::move(prefix), recursive, false});
}

}  // namespace

std::vector<BackupSource> BackupSources(Env& env, const ApiState& api, const ConfigState& config) {
  const ServerConfig& record = config.record;
  std::vector<BackupSource> sources;
  sources.push_back({WithTrailingSeparator(api.config_path), "", true, false});
  AddExisting(env, &sources, api.install_path + "webmail/config/", "..\\webmail\\config\\", true);
  const std::string spam = WithTrailingSeparator(config.derived.spam_directory);
  AddExisting(env, &sources, spam, "..\\spam\\", false);
  AddExisting(env, &sources, spam + "rules/", "..\\spam\\rules\\", true);
  if (record.Byte(backup_offsets::kTakeLogs) != 0) {
    AddExisting(env, &sources, record.Text(offsets::kLogDirectory), "..\\logs\\", true);
  }
  AddExisting(env, &sources, config.derived.calendar_directory, "..\\calendar\\", true);
  if (record.Byte(backup_offsets::kTakeMail) != 0) {
    sources.push_back(
        {WithTrailingSeparator(record.Text(offsets::kMailRoot)), "..\\mail\\", true, true});
  }
  for (const std::string& item : Split(record.Text(backup_offsets::kExtraFolders), ';')) {
    const std::string folder = Trim(item);
    if (folder.empty()) continue;
    const std::string directory = IsAbsolutePath(folder) ? folder : api.install_path + folder;
    sources.push_back({WithTrailingSeparator(directory), SiblingPrefix(folder), true, false});
  }
  return sources;
}

MailFilter MailFilterOf(const ServerConfig& record, int64_t now_ns) {
  MailFilter filter;
  filter.take_temporary = record.Byte(backup_offsets::kTakeMailTempFiles) != 0;
  filter.max_bytes =
      static_cast<int64_t>(record.Number(backup_offsets::kMailMaxMegabytes, 4)) * 1048576;
  const int64_t days =
      std::min<int64_t>(record.Number(backup_offsets::kMailMaxAgeDays, 4), kMaxAgeDays);
  if (days > 0) filter.changed_since_ns = now_ns - days * kNsPerDay;
  return filter;
}

bool MailFileWanted(const MailFilter& filter, std::string_view file_name, int64_t size,
                    int64_t mtime_ns) {
  const std::string name = ToLower(file_name);
  if (WildcardMatch("*.tm$", name) || WildcardMatch("index.dat", name)) return false;
  if (!filter.take_temporary && (WildcardMatch("*.tmp", name) || WildcardMatch("*.imap", name))) {
    return false;
  }
  if (filter.changed_since_ns != 0 && mtime_ns < filter.changed_since_ns) return false;
  if (filter.max_bytes != 0 && size > filter.max_bytes) return false;
  return true;
}

void WalkSource(Env& env, const BackupSource& source, const MailFilter& filter,
                const std::function<bool(const WalkedFile&)>& take,
                const std::function<void(const std::string& path)>& found_temporary) {
  WalkFiles(env, source.directory, source.recursive, [&](const WalkedFile& file) {
    const std::string_view name =
        std::string_view(file.relative).substr(file.relative.rfind('/') + 1);
    if (IsTemporaryFileName(name)) {
      if (found_temporary) found_temporary(source.directory + file.relative);
      return true;
    }
    if (source.prefix.empty() && IsWorkFileOfConfig(file.relative)) return true;
    if (source.mail && !MailFileWanted(filter, name, file.size, file.mtime_ns)) return true;
    return take(file);
  });
}

}  // namespace tarvelin
