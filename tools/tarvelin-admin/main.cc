// tarvelin-admin: the command-line face of the administration library.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli_context.h"

using namespace tarvelin::cli;

int main(int argc, char** argv) {
  CLI::App app{"Administration of a Tarvelin mail server installation"};
  app.require_subcommand(1);
  Session session;
  app.add_option("--install-dir", session.install_dir,
                 "Installation directory (default: $TARVELIN_INSTALL_DIR)");
  app.add_flag("--json", session.out.json, "Answer in JSON");

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

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  } catch (const std::exception& error) {
    std::cerr << "tarvelin-admin: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
