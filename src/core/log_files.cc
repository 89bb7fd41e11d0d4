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

struct Tail {
  std::vector<std::string> lines;
  int64_t whole_end = 0;  // where the last whole line ends
};

// The last `count` lines of the `size` bytes of the file; with
// `whole_only`, a last line without its line end is left out.
Result<Tail> LastLines(Env& env, const std::string& path, int64_t size, size_t count,
                       bool whole_only) {
  std::string tail;
  int64_t start = size;
  while (start > 0 && static_cast<size_t>(std::count(tail.begin(), tail.end(), '\n')) <= count) {
    const int64_t chunk = std::min<int64_t>(start, kReadChunk);
    start -= chunk;
    std::string piece;
    TARVELIN_RETURN_IF_ERROR(env.ReadFileRange(path, start, static_cast<size_t>(chunk), &piece));
    tail.insert(0, piece);
  }
  const size_t whole = tail.rfind('\n') + 1;  // 0 without a line end
  Tail result;
  result.whole_end = start + static_cast<int64_t>(whole);
  if (whole_only) tail.resize(whole);
  std::vector<std::string>& lines = result.lines;
  lines = SplitLines(tail);
  if (start > 0 && !lines.empty()) lines.erase(lines.begin());
  if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<long>(count));
  return result;
}

constexpr std::string_view kKindNames[kServerLogKinds] = {
    "smtp",     "pop3", "",      "control", "antivirus", "im",          "", "", "ftp",
    "antispam", "sip",  "error", "",        "",          "maintenance", ""};

std::string NamedKinds() {
  std::string names;
  for (std::string_view name : kKindNames) {
    if (name.empty()) continue;
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names;
}

}  // namespace

Result<LogTail> TailOfTodaysLog(const Context& context, int kind, size_t count) {
  if (FindLogKind(kind) == nullptr) {
    return Status::InvalidArgument("no log kind " + std::to_string(kind) + " (0 to " +
                                   std::to_string(kServerLogKinds - 1) + ")");
  }
  LogTail tail;
  tail.file = TodaysFile(context.env(), context.log_settings(), kind, context.env().NowLocal().date);
  const int64_t size = FileSize(context.env(), tail.file);
  if (size < 0) return Status::NotFound("no log file for today: " + tail.file);
  Result<Tail> last = LastLines(context.env(), tail.file, size, count, /*whole_only=*/false);
  if (!last.ok()) return last.status();
  tail.lines = std::move(last->lines);
  return tail;
}

Result<int> LogKindOfText(std::string_view text) {
  int number = -1;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc() && stop == text.data() + text.size() && number >= 0 &&
      number < kServerLogKinds) {
    return number;
  }
  for (int kind = 0; kind < kServerLogKinds; ++kind) {
    if (!kKindNames[kind].empty() && EqualsNoCase(text, kKindNames[kind])) return kind;
  }
  return Status::InvalidArgument("no log kind \"" + std::string(text) + "\": a number 0 to " +
                                 std::to_string(kServerLogKinds - 1) + " or one of " +
                                 NamedKinds());
}

std::string_view LogKindName(int kind) {
  return kind >= 0 && kind < kServerLogKinds ? kKindNames[kind] : std::string_view();
}

Result<LogFollower> LogFollower::Start(const Context& context, int kind, size_t count,
                                       const CivilDate& today, std::vector<std::string>* last) {
  last->clear();
  if (FindLogKind(kind) == nullptr) {
    return Status::InvalidArgument("no log kind " + std::to_string(kind));
  }
  std::string file = TodaysFile(context.env(), context.log_settings(), kind, today);
  const int64_t size = FileSize(context.env(), file);
  if (size < 0) return LogFollower(context, kind, std::move(file), 0);
  Result<Tail> tail = LastLines(context.env(), file, size, count, /*whole_only=*/true);
  if (!tail.ok()) return tail.status();
  *last = std::move(tail->lines);
  return LogFollower(context, kind, std::move(file), tail->whole_end);
}

Result<std::vector<LogTail>> LogFollower::Read(const CivilDate& today) {
  std::vector<LogTail> read;
  Env& env = context_->env();
  std::string now = TodaysFile(env, context_->log_settings(), kind_, today);
  if (now != file_ && FileSize(env, now) >= 0) {
    // The writer has finished the old file: its last line is whole too.
    TARVELIN_RETURN_IF_ERROR(ReadOn(/*to_end=*/true, &read));
    file_ = std::move(now);
    offset_ = 0;
  }
  TARVELIN_RETURN_IF_ERROR(ReadOn(/*to_end=*/false, &read));
  return read;
}

Status LogFollower::ReadOn(bool to_end, std::vector<LogTail>* read) {
  Env& env = context_->env();
  const int64_t size = FileSize(env, file_);
  if (size < 0) return Status::Ok();  // not there (yet, or any more)
  if (size < offset_) offset_ = 0;
  if (size == offset_) return Status::Ok();
  std::string data;
  TARVELIN_RETURN_IF_ERROR(
      env.ReadFileRange(file_, offset_, static_cast<size_t>(size - offset_), &data));
  if (!to_end) data.resize(data.rfind('\n') + 1);
  if (data.empty()) return Status::Ok();
  offset_ += static_cast<int64_t>(data.size());
  read->push_back({file_, SplitLines(data)});
  return Status::Ok();
}

}  // namespace tarvelin
