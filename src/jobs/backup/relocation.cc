#include "jobs/backup/relocation.h"

#include "config/config_line.h"
#include "config/path_dat.h"
#include "core/config/configuration.h"
#include "core/context.h"
#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/os_path.h"
#include "schema/config_offsets.h"

namespace tarvelin {

namespace {

constexpr size_t kDirectoryCapacity = 255;
constexpr size_t kExtraDirectoryCapacity = 240;
constexpr int kBackupFolders = 26988;  // setting 429, ";"-separated
constexpr size_t kBackupFoldersCapacity = 255;

struct RecordFolder {
  int offset;
  const char* name;
  const char* default_leaf;  // the folder's name in an installation, or null
  size_t capacity;
};
constexpr RecordFolder kRecordFolders[] = {
    {offsets::kTempDirectory, "temporary directory (settings.cfg)", "temp", kDirectoryCapacity},
    {offsets::kMailRoot, "mail root (settings.cfg)", "mail", kDirectoryCapacity},
    {offsets::kLogDirectory, "log directory (settings.cfg)", "logs", kDirectoryCapacity},
    {offsets::kExtraDirectory, "directory 154 (settings.cfg)", nullptr, kExtraDirectoryCapacity},
};
constexpr int kPathDatDirectoryLines[] = {1, 2, 6, 7, 8, 9};

bool Below(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.size() > folder.size() && path.starts_with(folder);
}

// `value` with `from` at its start replaced by `to`, when it lies below.
std::string Moved(const std::string& value, const std::string& from, const std::string& to) {
  const std::string os = ToOsPath(Trim(value));
  return Below(os, from) ? to + os.substr(from.size()) : std::string();
}

std::string PathDatFile(const Context& context) { return context.api.install_path + "path.dat"; }

Status RewritePathDat(Context& context, const std::vector<ForeignFolder>& folders) {
  std::string content;
  TARVELIN_RETURN_IF_ERROR(context.env().ReadFile(PathDatFile(context), &content));
  std::vector<std::string> lines = Split(content, '\n');
  for (const ForeignFolder& folder : folders) {
    const size_t index = static_cast<size_t>(folder.path_dat_line - 1);
    if (folder.path_dat_line == 0 || index >= lines.size()) continue;
    const bool cr = lines[index].ends_with('\r');
    lines[index] = folder.here + (cr ? "\r" : "");
  }
  std::string rewritten;
  for (size_t i = 0; i < lines.size(); ++i) rewritten += (i == 0 ? "" : "\n") + lines[i];
  return WriteFileAtomic(context.env(), PathDatFile(context), rewritten);
}

}  // namespace

std::string SourceInstallationOf(const Context& context) {
  for (const RecordFolder& folder : kRecordFolders) {
    if (folder.default_leaf == nullptr) continue;
    const std::string value = ToOsPath(Trim(context.config.record.Text(folder.offset)));
    const std::string leaf = std::string(folder.default_leaf) + kPathSeparator;
    if (!IsAbsolutePath(value) || !value.ends_with(kPathSeparator + leaf)) continue;
    return value.substr(0, value.size() - leaf.size());
  }
  return {};
}

std::vector<ForeignFolder> FindForeignFolders(const Context& context) {
  const std::string source = SourceInstallationOf(context);
  const std::string here = WithTrailingSeparator(ToOsPath(context.api.install_path));
  std::vector<ForeignFolder> found;
  if (source.empty() || source == here) return found;

  const ServerConfig& record = context.config.record;
  for (const RecordFolder& folder : kRecordFolders) {
    const std::string value = record.Text(folder.offset);
    const std::string moved = Moved(value, source, here);
    if (!moved.empty()) found.push_back({folder.name, value, moved, folder.offset, 0});
  }
  const std::string list = record.Text(kBackupFolders);
  const std::vector<std::string> items = Split(list, ';');
  bool moved_any = false;
  std::string moved_list;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string moved = Moved(items[i], source, here);
    moved_any = moved_any || !moved.empty();
    if (i > 0) moved_list += ';';
    moved_list += moved.empty() ? items[i] : moved;
  }
  if (moved_any) {
    found.push_back({"folders to back up (settings.cfg)", list, moved_list, kBackupFolders, 0});
  }

  PathDat path_dat;
  ReadPathDat(context.env(), context.api.install_path, &path_dat);
  for (const int line : kPathDatDirectoryLines) {
    const std::string moved = Moved(path_dat.line(line), source, here);
    if (!moved.empty()) {
      found.push_back({"path.dat line " + std::to_string(line), path_dat.line(line), moved, -1, line});
    }
  }
  return found;
}

Status RelocateFolders(Context& context, const std::vector<ForeignFolder>& folders) {
  Status result;
  bool record_changed = false;
  bool path_dat_changed = false;
  for (const ForeignFolder& folder : folders) {
    if (folder.offset < 0) {
      path_dat_changed = true;
      continue;
    }
    size_t capacity = kDirectoryCapacity;
    for (const RecordFolder& known : kRecordFolders) {
      if (known.offset == folder.offset) capacity = known.capacity;
    }
    if (folder.offset == kBackupFolders) capacity = kBackupFoldersCapacity;
    if (folder.here.size() > capacity) {
      if (result.ok()) {
        result = Status::InvalidArgument("the " + folder.setting + " " + folder.here +
                                         " is too long for its field");
      }
      continue;
    }
    context.config.record.SetText(folder.offset, folder.here);
    record_changed = true;
  }
  if (record_changed && !SaveConfiguration(context) && result.ok()) {
    result = Status::IOError("cannot save " + context.api.config_path + "settings.cfg");
  }
  if (path_dat_changed) {
    if (Status rewritten = RewritePathDat(context, folders); !rewritten.ok()) {
      if (result.ok()) result = rewritten;
    } else {
      PathDat found;
      ReadPathDat(context.env(), context.api.install_path, &found);
      MergePathDat(found, &context.config.path_dat);
    }
  }
  LoadConfiguration(context, /*must_exist=*/false);
  return result;
}

}  // namespace tarvelin
