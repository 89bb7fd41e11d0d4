// tarvelin-admin: the command-line face of the administration library.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli_context.h"

using namespace tarvelin::cli;

int main(int argc, char** argv) {
  CLI::App app{"Administration of a Tarvelin mail server installation"};
  app.require_subcommand(1);
  Context context;
  app.add_option("--install-dir", context.install_dir,
                 "Installation directory (default: $TARVELIN_INSTALL_DIR)");
  app.add_flag("--json", context.out.json, "Answer in JSON");

  RegisterCreateCommand(app, context);
  RegisterConfigCommands(app, context);
  RegisterDomainCommands(app, context);
  RegisterBackupCommands(app, context);
  RegisterServiceCommands(app, context);
  RegisterLogCommands(app, context);
  RegisterAccountCommands(app, context);
  RegisterRemoteCommands(app, context);
  RegisterScheduleCommands(app, context);
  RegisterAuthCommands(app, context);
  RegisterMailboxCommands(app, context);

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
