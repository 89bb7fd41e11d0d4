// `log tail`: the last lines of today's file of a log kind, and with -f the
// lines the services add to it, across the change to the next day's file.
#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/log_files.h"

namespace tarvelin::cli {

namespace {

// How often a followed log is looked at.
constexpr int64_t kFollowPollMicros = 250000;

// Log lines are bytes: the library logs single-byte record texts, a
// service may log UTF-8. JSON takes UTF-8 only, so a line that is not valid
// UTF-8 is taken as Latin-1.
std::string JsonText(const std::string& line) {
  try {
    (void)nlohmann::json(line).dump();
    return line;
  } catch (const nlohmann::json::type_error&) {
    return Utf8OfLatin1(line);
  }
}

nlohmann::json JsonLines(const std::vector<std::string>& lines) {
  nlohmann::json json = nlohmann::json::array();
  for (const std::string& line : lines) json.push_back(JsonText(line));
  return json;
}

nlohmann::json KindJson(int kind) {
  nlohmann::json json{{"kind", kind}};
  if (!LogKindName(kind).empty()) json["name"] = LogKindName(kind);
  return json;
}

void LogTail(Session& session, int kind, size_t count) {
  const struct LogTail tail = Checked(TailOfTodaysLog(session.context(), kind, count));
  std::string human;
  for (const std::string& line : tail.lines) human += line + "\n";
  nlohmann::json json = KindJson(kind);
  json["file"] = tail.file;
  json["lines"] = JsonLines(tail.lines);
  session.out.Emit(json, human);
}

// Lines as they come, until the program is stopped: as they stand, or one
// JSON object a line under --json.
void PrintFollowed(const Session& session, int kind, const std::string& file,
                   const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (session.out.json) {
      nlohmann::json json = KindJson(kind);
      json["file"] = file;
      json["line"] = JsonText(line);
      std::cout << json.dump() << "\n";
    } else {
      std::cout << line << "\n";
    }
  }
  std::cout.flush();
}

[[noreturn]] void LogFollow(Session& session, int kind, size_t count) {
  Context& context = session.context();
  std::vector<std::string> last;
  LogFollower follower =
      Checked(LogFollower::Start(context, kind, count, context.env().NowLocal().date, &last));
  if (TailOfTodaysLog(context, kind, 0).status().Is(StatusCode::kNotFound)) {
    session.out.Warn("no log file for today yet: " + follower.file() + "; waiting for it");
  }
  PrintFollowed(session, kind, follower.file(), last);
  while (true) {
    context.env().SleepForMicroseconds(kFollowPollMicros);
    const std::vector<struct LogTail> read =
        Checked(follower.Read(context.env().NowLocal().date), "cannot read " + follower.file());
    for (const struct LogTail& part : read) PrintFollowed(session, kind, part.file, part.lines);
  }
}

}  // namespace

void RegisterLogCommands(CLI::App& app, Session& session) {
  CLI::App* log = app.add_subcommand("log", "Server log files");
  log->require_subcommand(1);
  static std::string kind_text;
  static int count = 20;
  static bool follow = false;
  CLI::App* tail = log->add_subcommand("tail", "Show the last lines of today's file of a log kind");
  tail->add_option("KIND", kind_text,
                   "Log kind: 0 to 15, or smtp, pop3, control, antivirus, im, ftp, antispam, "
                   "sip, error, maintenance (any case)")
      ->required();
  tail->add_option("-n,--lines", count, "How many lines (default 20)")
      ->check(CLI::Validator(
          [](const std::string& text) -> std::string {
            long long lines = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), lines);
            // What is no number is refused by the conversion to one.
            if (error != std::errc() || end != text.data() + text.size() || lines >= 1) return "";
            return "-n takes 1 or more lines, not " + text;
          },
          "", "AT LEAST 1"));
  tail->add_flag("-f,--follow", follow,
                 "Keep printing the lines added to the log, also once the next day's file "
                 "starts, until interrupted");
  tail->callback([&session] {
    const Result<int> kind = LogKindOfText(kind_text);
    if (!kind.ok()) throw CommandError(kind.status().message(), ExitCode::kUsage);
    session.Open();
    if (follow) LogFollow(session, *kind, static_cast<size_t>(count));
    LogTail(session, *kind, static_cast<size_t>(count));
  });
}

}  // namespace tarvelin::cli
