// `db create-tables|drop-tables`: the tables of the database of a service
// (the accounts, the log, the groupware, the challenge-response store).
#include <string>

#include "cli_context.h"
#include "foundation/text.h"
#include "jobs/service_tables/service_tables.h"

namespace tarvelin::cli {

namespace {

constexpr const char* kServiceNames[] = {"accounts", "logs", "groupware", "challenge"};

TableService ServiceOf(const std::string& text) {
  const std::string name = ToLower(Trim(text));
  for (int number = 0; number < 4; ++number) {
    if (name == kServiceNames[number] || name == std::to_string(number)) {
      return *TableServiceOf(number);
    }
  }
  throw CommandError("no service \"" + text + "\": accounts, logs, groupware, challenge or 0 to 3",
                     ExitCode::kUsage);
}

void Tables(Session& session, const std::string& text, const std::string* connection) {
  const TableService service = ServiceOf(text);
  const std::string name = kServiceNames[static_cast<int>(service)];
  const std::string verb = connection != nullptr ? "create" : "drop";
  Check(connection != nullptr ? CreateServiceTables(session.context(), service, *connection)
                              : DropServiceTables(session.context(), service),
        "cannot " + verb + " the " + name + " tables");
  session.out.Emit({{"service", name}, {"tables", connection != nullptr ? "created" : "dropped"}},
                   (connection != nullptr ? "created" : "dropped") + std::string(" the ") + name +
                       " tables");
}

}  // namespace

void RegisterDbCommands(CLI::App& app, Session& session) {
  CLI::App* db = app.add_subcommand("db", "The tables of the services' databases");
  db->require_subcommand(1);
  static std::string service;
  static std::string connection;
  const std::string service_help = "accounts, logs, groupware, challenge or 0 to 3";

  CLI::App* create = db->add_subcommand("create-tables", "Store a database and make its tables");
  create->add_option("SERVICE", service, service_help)->required();
  create->add_option("--connection", connection, "The database's connection text")->required();
  create->callback([&session] {
    session.OpenToChangeSettings();
    Tables(session, service, &connection);
  });

  CLI::App* drop = db->add_subcommand("drop-tables", "Drop the tables of a service's database");
  drop->add_option("SERVICE", service, service_help)->required();
  drop->callback([&session] {
    session.Open();
    Tables(session, service, nullptr);
  });
}

}  // namespace tarvelin::cli
