// `migrate ...`: queueing accounts for message migration, the login check
// that starts the migration of each account, and the finish request.
//
// Unlike the automation methods, which cut long fields and skip bad lines
// without a word, these refuse a list with a bad entry before anything is
// queued, and say which logins failed and why.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli_context.h"
#include "foundation/text.h"
#include "jobs/migration/login_check.h"
#include "jobs/migration/migration_queue.h"

namespace tarvelin::cli {

namespace {

// A list file larger than this is no account list.
constexpr size_t kMaxListBytes = 16 << 20;

std::vector<std::string> EntriesOf(Session& session, const std::vector<std::string>& given,
                                   const std::string& file) {
  if (!given.empty() && !file.empty()) {
    throw CommandError("give the accounts on the command line or with --file, not both",
                       ExitCode::kUsage);
  }
  if (file.empty()) {
    if (given.empty()) throw CommandError("no accounts given", ExitCode::kUsage);
    return given;
  }
  std::string content;
  Check(session.context().env().ReadFilePrefix(file, kMaxListBytes + 1, &content),
        "cannot read " + file);
  if (content.size() > kMaxListBytes) {
    throw CommandError(file + " is larger than " + std::to_string(kMaxListBytes >> 20) +
                           " MiB: not an account list",
                       ExitCode::kRefused);
  }
  return MigrationListLines(content);
}

// Why an entry cannot be queued as it stands; empty when it can.
std::string QueueProblem(const std::string& entry) {
  for (unsigned char c : entry) {
    if (c < 32 || c == 127) return "holds a control character";
  }
  const std::vector<std::string> fields = Split(entry, ':');
  if (fields.size() < 2 || fields.size() > 3) return "not USER:PASS[:TARGET]";
  if (fields[0].empty()) return "empty user name";
  if (fields[0].size() > kMigrationLoginCapacity) return "user name longer than 63 characters";
  if (fields[1].size() > kMigrationPasswordCapacity) return "password longer than 47 characters";
  const size_t target = fields.size() == 3 ? fields[2].size() : 0;
  if (target > kMigrationTargetCapacity ||
      (fields.size() == 3 && fields[2].find('@') == std::string::npos &&
       fields[0].size() + 1 + target > kMigrationTargetCapacity)) {
    return "target longer than 126 characters";
  }
  return "";
}

// A name as messages and JSON show it: bytes outside printable ASCII as
// \xHH, so that no answer breaks on a list's binary junk.
std::string Printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

// The start of an entry for messages, without its password.
std::string UserOf(const std::string& entry) {
  return Printable(CutTo(entry.substr(0, entry.find(':')), 80));
}

void Queue(Session& session, const std::vector<std::string>& entries) {
  std::string refused;
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string problem = QueueProblem(entries[i]);
    if (!problem.empty()) {
      refused += "\n  entry " + std::to_string(i + 1) + " (" + UserOf(entries[i]) + "): " + problem;
    }
  }
  if (!refused.empty()) throw CommandError("nothing queued:" + refused, ExitCode::kRefused);
  const QueueOutcome outcome = QueueMigrations(session.context(), entries);
  nlohmann::json skipped = nlohmann::json::array();
  for (const std::string& line : outcome.skipped) skipped.push_back(UserOf(line));
  if (!outcome.skipped.empty()) {
    throw CommandError("queued " + std::to_string(outcome.queued) + ", could not write " +
                       std::to_string(outcome.skipped.size()) + " to migrate.dat");
  }
  session.out.Emit({{"queued", outcome.queued}},
                   "queued " + std::to_string(outcome.queued) + " account(s) for migration");
}

void CheckLogins(Session& session, const std::vector<std::string>& entries, int timeout_s) {
  std::vector<MigrationLogin> logins;
  std::string malformed;
  for (const std::string& entry : entries) {
    const std::vector<MigrationLogin> one = MigrationListLogins(entry);
    if (one.empty()) {
      malformed += " " + UserOf(entry);
    } else {
      logins.push_back(one.front());
    }
  }
  if (!malformed.empty()) {
    throw CommandError("not USER:PASS:" + malformed, ExitCode::kUsage);
  }
  LoginCheckOptions options;
  options.timeout_ms = timeout_s * 1000;
  const std::vector<MigrationLoginCheck> checks = CheckMigrationLogins(session.context(), logins, options);
  nlohmann::json rows = nlohmann::json::array();
  std::string human;
  int failed = 0;
  for (const MigrationLoginCheck& check : checks) {
    const std::string result = check.skipped ? "skipped" : check.passed ? "passed" : "failed";
    nlohmann::json row = {{"user", Printable(check.user)}, {"result", result}, {"tls", check.used_tls}};
    if (!check.passed) row["reason"] = check.reason;
    rows.push_back(row);
    human += Printable(check.user) + "\t" + result + (check.used_tls ? " (TLS)" : "") +
             (check.passed ? "" : "\t" + check.reason) + "\n";
    if (!check.passed) ++failed;
  }
  const std::string server = MigrationServerAddressOf(session.context());
  session.out.Emit({{"server", server}, {"logins", rows}},
                   "server\t" + server + "\n" + human);
  if (failed > 0) {
    throw CommandError(std::to_string(failed) + " of " + std::to_string(checks.size()) +
                           " login(s) failed",
                       ExitCode::kRefused);
  }
}

void Finish(Session& session) {
  Result<MigrationState> read = FinishMigration(session.context());
  if (!read.ok()) {
    throw CommandError("cannot read migrate.dat: " + CauseOf(read.status()), ExitCode::kDamaged);
  }
  const MigrationState state = *read;
  const int number = static_cast<int>(state);
  session.out.Emit({{"state", MigrationStateName(state)}, {"value", number}},
                   std::string(MigrationStateName(state)) + " (" + std::to_string(number) + ")");
}

}  // namespace

void RegisterMigrationCommands(CLI::App& app, Session& session) {
  CLI::App* migrate = app.add_subcommand("migrate", "Message migration from another server");
  migrate->require_subcommand(1);
  static std::vector<std::string> entries;
  static std::string file;
  static int timeout_s = 30;
  const std::string file_help =
      "Account list: one USER:PASS[:TARGET] per line (instead of arguments)";

  CLI::App* queue = migrate->add_subcommand(
      "queue", "Queue accounts in migrate.dat and tell the POP3 service to proceed");
  queue->add_option("ACCOUNT", entries,
                    "USER:PASS[:TARGET]; TARGET is a domain or an address (default: the user "
                    "at the first domain)");
  queue->add_option("--file", file, file_help);
  queue->callback([&session] {
    session.Open();
    Queue(session, EntriesOf(session, entries, file));
  });

  CLI::App* check = migrate->add_subcommand(
      "check", "Log in to this server as each account, which starts its migration; exits 4 "
               "when a login failed");
  check->add_option("ACCOUNT", entries, "USER:PASS");
  check->add_option("--file", file, file_help);
  check->add_option("--timeout", timeout_s, "Seconds to wait for the server at each step")
      ->check(CLI::Range(1, 3600));
  check->callback([&session] {
    session.Open();
    CheckLogins(session, EntriesOf(session, entries, file), timeout_s);
  });

  CLI::App* finish = migrate->add_subcommand(
      "finish", "Tell the POP3 service to finish and show the state: finished (2), some failed "
                "(1) or in progress (0); exits 0 for every state");
  finish->callback([&session] {
    session.Open();
    Finish(session);
  });
}

}  // namespace tarvelin::cli
