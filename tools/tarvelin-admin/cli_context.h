// What every command of tarvelin-admin shares: the global options, and the
// registration hook each command group provides.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli_output.h"

namespace tarvelin::cli {

struct Context {
  std::string install_dir;  // empty: $TARVELIN_INSTALL_DIR
  Output out;
  // Init on the installation; throws CommandError when it cannot be loaded.
  void Open() const;
};

// Each group adds its subcommands to `app`; their callbacks run the command
// and throw CommandError on failure.
void RegisterCreateCommand(CLI::App& app, Context& context);
void RegisterConfigCommands(CLI::App& app, Context& context);
void RegisterDomainCommands(CLI::App& app, Context& context);
void RegisterBackupCommands(CLI::App& app, Context& context);
void RegisterServiceCommands(CLI::App& app, Context& context);
void RegisterLogCommands(CLI::App& app, Context& context);
void RegisterAccountCommands(CLI::App& app, Context& context);
// Further subcommands of `account`, added by RegisterAccountCommands.
void RegisterAccountChangeCommands(CLI::App& account, Context& context);
void RegisterAccountImportCommand(CLI::App& account, Context& context);
void RegisterRemoteCommands(CLI::App& app, Context& context);
void RegisterScheduleCommands(CLI::App& app, Context& context);
void RegisterAuthCommands(CLI::App& app, Context& context);
void RegisterMailboxCommands(CLI::App& app, Context& context);

}  // namespace tarvelin::cli
