// What every command of tarvelin-admin shares: the global options, and the
// registration hook each command group provides.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli_output.h"

namespace tarvelin::cli {

struct Session {
  std::string install_dir;  // empty: $TARVELIN_INSTALL_DIR
  Output out;
  // Init on the installation; throws CommandError when it cannot be loaded.
  void Open() const;
};

// Each group adds its subcommands to `app`; their callbacks run the command
// and throw CommandError on failure.
void RegisterCreateCommand(CLI::App& app, Session& session);
void RegisterConfigCommands(CLI::App& app, Session& session);
void RegisterDomainCommands(CLI::App& app, Session& session);
void RegisterBackupCommands(CLI::App& app, Session& session);
void RegisterServiceCommands(CLI::App& app, Session& session);
void RegisterLogCommands(CLI::App& app, Session& session);
void RegisterAccountCommands(CLI::App& app, Session& session);
// Further subcommands of `account`, added by RegisterAccountCommands.
void RegisterAccountChangeCommands(CLI::App& account, Session& session);
void RegisterAccountImportCommand(CLI::App& account, Session& session);
void RegisterRemoteCommands(CLI::App& app, Session& session);
void RegisterScheduleCommands(CLI::App& app, Session& session);
void RegisterAuthCommands(CLI::App& app, Session& session);
void RegisterMailboxCommands(CLI::App& app, Session& session);

}  // namespace tarvelin::cli
