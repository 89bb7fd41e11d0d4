#include <algorithm>
#include <charconv>
#include <vector>

#include "cli_context.h"
#include "foundation/text.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "log/log_kinds.h"
#include "platform/file_system.h"

namespace tarvelin::cli {

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

// Today's file of the kind as the writer names it: with rotation, the
// highest-numbered file of today.
std::string TodaysFile(Env& env, const LogSettings& config, int kind, const CivilDate& today) {
  const std::string stem = LogFileStem(config, kind);
  const std::string plain = LogFileName(stem, today, -1);
  if (config.record.Number(log_offsets::kRotationSize, 4) == 0) return plain;
  const size_t slash = stem.find_last_of("/\\");
  const std::string directory = slash == std::string::npos ? "." : stem.substr(0, slash + 1);
  const std::string base = LogFileName(stem.substr(slash + 1), today, -1);
  const std::string prefix = base.substr(0, base.size() - 4) + "-";
  std::vector<DirectoryEntry> entries;
  env.ListDirectory(directory, &entries);
  int highest = -1;
  for (const DirectoryEntry& entry : entries) {
    if (!entry.is_directory) highest = std::max(highest, CounterOf(entry.name, prefix));
  }
  return highest < 0 ? plain : LogFileName(stem, today, highest);
}

// The last `count` lines, read from the end so large files cost little.
std::vector<std::string> LastLines(Env& env, const std::string& path, size_t count) {
  const int64_t size = FileSize(env, path);
  if (size < 0) throw CommandError("no log file for today: " + path);
  std::string tail;
  int64_t start = size;
  while (start > 0 && static_cast<size_t>(std::count(tail.begin(), tail.end(), '\n')) <= count) {
    const int64_t chunk = std::min<int64_t>(start, kReadChunk);
    start -= chunk;
    std::string piece;
    if (!env.ReadFileRange(path, start, static_cast<size_t>(chunk), &piece).ok()) {
      throw CommandError("cannot read " + path);
    }
    tail.insert(0, piece);
  }
  std::vector<std::string> lines = SplitLines(tail);
  // A line cut by the chunk boundary is not shown.
  if (start > 0 && !lines.empty()) lines.erase(lines.begin());
  if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<long>(count));
  return lines;
}

void LogTail(const Output& out, int kind, size_t count) {
  Env& env = TheContext().env();
  const std::string path = TodaysFile(env, TheContext().log_settings(), kind, env.NowLocal().date);
  const std::vector<std::string> lines = LastLines(env, path, count);
  std::string human;
  for (const std::string& line : lines) human += line + "\n";
  out.Emit({{"kind", kind}, {"file", path}, {"lines", lines}}, human);
}

}  // namespace

void RegisterLogCommands(CLI::App& app, Session& session) {
  CLI::App* log = app.add_subcommand("log", "Server log files");
  log->require_subcommand(1);
  static int kind = 0;
  static size_t count = 20;
  CLI::App* tail = log->add_subcommand("tail", "Show the last lines of today's file of a log kind");
  tail->add_option("KIND", kind, "Log kind, 0 to 15")
      ->required()
      ->check(CLI::Range(0, kLogKindCount - 1));
  tail->add_option("-n,--lines", count, "How many lines (default 20)");
  tail->callback([&session] {
    session.Open();
    LogTail(session.out, kind, count);
  });
}

}  // namespace tarvelin::cli
