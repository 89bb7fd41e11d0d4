#include "core/log_files.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "core/context.h"
#include "foundation/text.h"
#include "platform/file_system.h"

namespace tarvelin {

namespace {

constexpr size_t kReadChunk = 64 * 1024;

// The number between `prefix` and ".log", or -1.
int CounterOf(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || !name.ends_with(".log")) return -1;
  const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
  int counter = -1;
  const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), counter);
  if (digits.size() < 2 || error != std::errc() || stop != digits.data() + digits.size()) return -1;
  return counter;
}

std::string TodaysFile(Env& env, const LogSettings& settings, int kind, const CivilDate& today) {
  const std::string stem = LogFileStem(settings, kind);
  const std::string plain = LogFileName(stem, today, -1);
  if (settings.record.Number(log_offsets::kRotationSize, 4) == 0) return plain;
  const size_t slash = stem.find_last_of("/\\");
  const std::string directory = slash == std::string::npos ? "." : stem.substr(0, slash + 1);
  const std::string base = LogFileName(stem.substr(slash + 1), today, -1);
  const std::string prefix = base.substr(0, base.size() - 4) + "-";
  std::vector<DirectoryEntry> entries;
  // A missing folder holds no rotated file: today's plain name then.
  env.ListDirectory(directory, &entries);
  int highest = -1;
  for (const DirectoryEntry& entry : entries) {
    if (!entry.is_directory) highest = std::max(highest, CounterOf(entry.name, prefix));
  }
  return highest < 0 ? plain : LogFileName(stem, today, highest);
}

Result<std::vector<std::string>> LastLines(Env& env, const std::string& path, size_t count) {
  const int64_t size = FileSize(env, path);
  if (size < 0) return Status::NotFound("no log file for today: " + path);
  std::string tail;
  int64_t start = size;
  while (start > 0 && static_cast<size_t>(std::count(tail.begin(), tail.end(), '\n')) <= count) {
    const int64_t chunk = std::min<int64_t>(start, kReadChunk);
    start -= chunk;
    std::string piece;
    TARVELIN_RETURN_IF_ERROR(env.ReadFileRange(path, start, static_cast<size_t>(chunk), &piece));
    tail.insert(0, piece);
  }
  std::vector<std::string> lines = SplitLines(tail);
  if (start > 0 && !lines.empty()) lines.erase(lines.begin());
  if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<long>(count));
  return lines;
}

}  // namespace

Result<LogTail> TailOfTodaysLog(const Context& context, int kind, size_t count) {
  if (FindLogKind(kind) == nullptr) {
    return Status::InvalidArgument("no log kind " + std::to_string(kind) + " (0 to " +
                                   std::to_string(kServerLogKinds - 1) + ")");
  }
  LogTail tail;
  tail.file = TodaysFile(context.env(), context.log_settings(), kind, context.env().NowLocal().date);
  Result<std::vector<std::string>> lines = LastLines(context.env(), tail.file, count);
  if (!lines.ok()) return lines.status();
  tail.lines = std::move(*lines);
  return tail;
}

}  // namespace tarvelin
