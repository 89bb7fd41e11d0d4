// tarvelin-admin: the command-line face of the administration library.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli_context.h"
#include "command_suggestion.h"

using namespace tarvelin::cli;

namespace {

constexpr const char* kExitCodes =
    "Exit codes: 0 done, 1 failed, 2 usage error, 3 not found, 4 refused by a check, "
    "5 damaged or unreadable file, 130 interrupted.";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Administration of a Tarvelin mail server installation"};
  app.footer(kExitCodes);
  app.require_subcommand(1);
  // Global options may follow the subcommand too: subcommands pass what they
  // do not know up to here.
  app.fallthrough();
  app.set_version_flag("--version", std::string("tarvelin-admin ") + TARVELIN_VERSION);
  Session session;
  app.add_option("--install-dir", session.install_dir,
                 "Installation directory (default: $TARVELIN_INSTALL_DIR)");
  app.add_flag("--json", session.out.json, "Answer in JSON; errors as JSON on standard error");

  RegisterCreateCommand(app, session);
  RegisterConfigCommands(app, session);
  RegisterDomainCommands(app, session);
  RegisterBackupCommands(app, session);
  RegisterServiceCommands(app, session);
  RegisterLogCommands(app, session);
  RegisterAccountCommands(app, session);
  RegisterRemoteCommands(app, session);
  RegisterScheduleCommands(app, session);
  RegisterAuthCommands(app, session);
  RegisterMailboxCommands(app, session);
  RegisterCheckCommand(app, session);
  RegisterStorageCommands(app, session);
  RegisterRegistrationCommands(app, session);
  RegisterChallengeCommands(app, session);
  RegisterDbCommands(app, session);
  RegisterIdnCommands(app, session);
  RegisterUpgradeCommand(app, session);
  RegisterMigrationCommands(app, session);
  RegisterTrafficCommands(app, session);
  RegisterSpamCommands(app, session);

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {
    return app.exit(done);
  } catch (const CLI::ParseError& error) {
    const std::string unknown = UnknownSubcommandMessage(app, argc, argv);
    session.out.Fail(unknown.empty() ? error.what() : unknown, ExitCode::kUsage);
    if (!session.out.json) std::cerr << "Run with --help for more information.\n";
    return static_cast<int>(ExitCode::kUsage);
  } catch (const CommandError& error) {
    session.out.Fail(error.what(), error.code());
    return static_cast<int>(error.code());
  } catch (const std::exception& error) {
    session.out.Fail(error.what(), ExitCode::kFailed);
    return static_cast<int>(ExitCode::kFailed);
  }
  return static_cast<int>(ExitCode::kDone);
}
