// `log tail`: the last lines of today's file of a log kind.
#include <string>

#include "cli_context.h"
#include "core/log_files.h"

namespace tarvelin::cli {

namespace {

void LogTail(Session& session, int kind, size_t count) {
  const struct LogTail tail = Checked(TailOfTodaysLog(session.context(), kind, count));
  std::string human;
  for (const std::string& line : tail.lines) human += line + "\n";
  session.out.Emit({{"kind", kind}, {"file", tail.file}, {"lines", tail.lines}}, human);
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
      ->check(CLI::Range(0, kServerLogKinds - 1));
  tail->add_option("-n,--lines", count, "How many lines (default 20)");
  tail->callback([&session] {
    session.Open();
    LogTail(session, kind, count);
  });
}

}  // namespace tarvelin::cli
