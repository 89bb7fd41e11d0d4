#include "mailstore/folder_size.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "schema/server_config.h"
#include "foundation/text.h"
#include "platform/lock_table.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kSizeCacheLifetimeOffset = 28052;  // setting 439
constexpr int kSizeCacheOnOffset = 28056;        // setting 440
constexpr int64_t kDefaultLifetime = 1800;
constexpr char kSizeFile[] = "size.dat";
constexpr int64_t kNanosecondsPerSecond = 1000000000;

// Lock 3 while a size.dat is read or written.
class SizeFileLock {
 public:
  explicit SizeFileLock(const FolderSizeCache& cache) {
    if (cache.locks != nullptr) held_ = std::unique_lock((*cache.locks)[LockId::kMailEngineFiles]);
  }

 private:
  std::unique_lock<std::recursive_mutex> held_;
};

bool ParseCount(std::string_view text, int64_t* value) {
  const std::string trimmed = Trim(text);
  const char* end = trimmed.data() + trimmed.size();
  const auto [ptr, error] = std::from_chars(trimmed.data(), end, *value);
  return !trimmed.empty() && error == std::errc() && ptr == end && *value >= 0;
}

bool ReadFreshSizeFile(Env& env, const std::string& path, const FolderSizeCache& cache,
                       FolderTotals* totals) {
  SizeFileLock lock(cache);
  const Result<FileStamp> stamp = env.GetFileStamp(path);
  if (!stamp.ok() || !stamp->exists) return false;
  const int64_t written = stamp->mtime_ns / kNanosecondsPerSecond;
  if (written + cache.lifetime_seconds < cache.now) return false;
  std::string content;
  if (!env.ReadFile(path, &content).ok()) return false;
  const std::vector<std::string> lines = SplitLines(content);
  return lines.size() >= 2 && ParseCount(lines[0], &totals->bytes) &&
         ParseCount(lines[1], &totals->files);
}

void WriteSizeFile(Env& env, const std::string& path, const FolderSizeCache& cache,
                   const FolderTotals& totals) {
  SizeFileLock lock(cache);
  WriteFileAtomic(env, path,
                  std::to_string(totals.bytes) + "\r\n" + std::to_string(totals.files) + "\r\n");
}

bool IsMessageFile(std::string_view name) {
  return name.ends_with(".imap") || name.ends_with(".tmp");
}

FolderTotals Measure(Env& env, const std::string& folder, const FolderSizeCache& cache,
                     std::vector<PathIdentity>& path) {
  FolderTotals totals;
  const Result<PathInfo> info = env.GetPathInfo(folder, Links::kFollow);
  if (!info.ok()) return totals;
  const PathIdentity identity = info->identity();
  if (std::find(path.begin(), path.end(), identity) != path.end()) return totals;
  const std::string size_file = folder + kSizeFile;
  if (cache.on && ReadFreshSizeFile(env, size_file, cache, &totals)) return totals;
  totals = {};
  path.push_back(identity);
  std::vector<DirectoryEntry> entries;
  env.ListDirectory(folder, &entries);
  for (const DirectoryEntry& entry : entries) {
    if (entry.is_directory) {
      const FolderTotals sub = Measure(env, folder + entry.name + kPathSeparator, cache, path);
      totals.bytes += sub.bytes;
      totals.files += sub.files;
    } else if (IsMessageFile(entry.name)) {
      totals.bytes += entry.size;
      totals.files += 1;
    }
  }
  path.pop_back();
  if (cache.on) WriteSizeFile(env, size_file, cache, totals);
  return totals;
}

}  // namespace

FolderSizeCache FolderSizeCacheOf(Env& env, const ServerConfig& record, LockTable& locks) {
  FolderSizeCache cache;
  cache.locks = &locks;
  cache.on = record.Byte(kSizeCacheOnOffset) != 0;
  const uint32_t lifetime = record.Number(kSizeCacheLifetimeOffset, 4);
  cache.lifetime_seconds = lifetime == 0 ? kDefaultLifetime : lifetime;
  cache.now = env.NowUnixSeconds();
  return cache;
}

FolderTotals MeasureFolder(Env& env, std::string_view folder, const FolderSizeCache& cache) {
  std::vector<PathIdentity> path;
  return Measure(env, WithTrailingSeparator(folder), cache, path);
}

}  // namespace tarvelin
