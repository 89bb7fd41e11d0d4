// storage status and storage migrate: where the domains and accounts are
// kept (the files, or the account database of db.so) and moving them from
// one to the other.
#include <memory>
#include <string>

#include "cli_context.h"
#include "import_progress.h"
#include "interruption.h"
#include "jobs/storage/storage_migration.h"
#include "jobs/storage/storage_status.h"

namespace tarvelin::cli {

namespace {

constexpr const char* kMigrateRule =
    "Copies every domain and account, checks the counts and a sample of records byte for byte, "
    "and only then switches the storage mode and saves the configuration; until then the "
    "installation works as before, and a failure or Ctrl-C (exit 130) switches nothing. "
    "Exits 4 when the installation is in that mode already, or when the database already "
    "holds domains and --replace is not given.";

std::string ModeName(bool database) { return database ? "database" : "files"; }

nlohmann::json CountsJson(const std::optional<StorageCounts>& counts) {
  if (!counts) return nullptr;
  return {{"domains", counts->domains}, {"accounts", counts->accounts}};
}

std::string CountsText(const std::optional<StorageCounts>& counts) {
  if (!counts) return "unknown";
  return std::to_string(counts->domains) + " domains, " + std::to_string(counts->accounts) +
         " accounts";
}

void StorageStatusCommand(Session& session) {
  session.Open();
  const StorageStatus status = InspectStorage(session.context());
  nlohmann::json json = {
      {"mode", ModeName(status.database)}, {"driver", status.driver},
      {"connection", status.connection},   {"library_loads", status.library_problem.empty()},
      {"reachable", status.reachable()},   {"counts", CountsJson(status.in_use)},
  };
  std::string human = "mode: " + ModeName(status.database) + "\ndriver: " + status.driver +
                      "\nconnection: " + status.connection + "\nlibrary: " +
                      (status.library_problem.empty() ? "loads" : status.library_problem) +
                      "\ndatabase: ";
  if (!status.library_problem.empty()) {
    json["problem"] = status.library_problem;
    human += "not tried";
  } else if (!status.connection_problem.empty()) {
    json["problem"] = status.connection_problem;
    human += "unreachable: " + status.connection_problem;
  } else {
    human += "reachable";
  }
  human += "\n" + ModeName(status.database) + ": " + CountsText(status.in_use);
  if (status.database) {
    json["files"] = CountsJson(status.files);
    human += "\nfiles: " + (status.files ? CountsText(status.files) : "no domains.cfg");
  }
  session.out.Emit(json, human);
}

void StorageMigrateCommand(Session& session, const std::string& to, const std::string& connection,
                           bool replace) {
  const bool database = to == "database";
  if (!database && (!connection.empty() || replace)) {
    throw CommandError("--connection and --replace apply only to --to database", ExitCode::kUsage);
  }
  session.OpenToChangeSettings();
  Context& context = session.context();
  std::unique_ptr<ImportProgress> bar;
  const MigrationProgress progress = [&bar](int done, int total) {
    if (!bar) bar = std::make_unique<ImportProgress>(total);
    bar->Show(done);
  };
  const Interruption interruption;
  const MigrationStop stop = [&interruption] { return interruption.requested(); };
  const MigrationOutcome outcome =
      database ? Checked(MigrateToDatabase(context, {connection, replace}, progress, stop),
                         "cannot move the domains and accounts into the database")
               : Checked(MigrateToFiles(context, progress, stop),
                         "cannot move the domains and accounts into the files");
  bar.reset();
  if (outcome.stopped) {
    throw CommandError(
        "interrupted: nothing was switched; the domains and accounts are still "
        "kept in the " +
            ModeName(!database),
        ExitCode::kInterrupted);
  }
  session.out.Emit({{"mode", to}, {"domains", outcome.domains}, {"accounts", outcome.accounts}},
                   "moved " + std::to_string(outcome.domains) + " domains and " +
                       std::to_string(outcome.accounts) + " accounts into the " + to +
                       "; the storage mode is now " + to);
}

}  // namespace

void RegisterStorageCommands(CLI::App& app, Session& session) {
  CLI::App* storage =
      app.add_subcommand("storage", "Where the domains and accounts are kept: files or database");
  storage->require_subcommand(1);

  CLI::App* status = storage->add_subcommand(
      "status", "Show the storage mode, the database connection and the counts of each side");
  status->callback([&session] { StorageStatusCommand(session); });

  CLI::App* migrate = storage->add_subcommand(
      "migrate", "Move the domains and accounts into the database or back into the files");
  migrate->footer(std::string(kMigrateRule) + "\n\n" + app.get_footer());
  auto to = std::make_shared<std::string>();
  auto connection = std::make_shared<std::string>();
  auto replace = std::make_shared<bool>(false);
  migrate->add_option("--to", *to, "database or files")
      ->required()
      ->check(CLI::IsMember({"database", "files"}));
  migrate->add_option("--connection", *connection,
                      "Connection text of the database (default: the one configured; empty: "
                      "tarvelin.db in the configuration folder)");
  migrate->add_flag("--replace", *replace,
                    "Empty a database that already holds domains before moving into it");
  migrate->callback([&session, to, connection, replace] {
    StorageMigrateCommand(session, *to, *connection, *replace);
  });
}

}  // namespace tarvelin::cli
