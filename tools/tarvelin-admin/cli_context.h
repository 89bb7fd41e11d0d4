// What every command of tarvelin-admin shares: the global options, the
// installation the command works on, and the registration hook each
// command group provides.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "cli_output.h"
#include "core/file_problems.h"
#include "core/context.h"

namespace tarvelin::cli {

class Session {
 public:
  Session() : context_(std::make_unique<Context>()) {}

  std::string install_dir;  // empty: $TARVELIN_INSTALL_DIR
  Output out;

  // Opens the installation (Init); throws CommandError saying why it cannot
  // be loaded. Damage the load reads past (core/config/load_damage.h) is
  // told as warnings, and the command goes on.
  void Open();
  // Open, for a command that saves settings.cfg and domains.cfg: refuses
  // (kDamaged) when either is damaged, since the save would write what was
  // read of them (the rest at defaults, blank domains) over what is left.
  void OpenToChangeSettings();
  // The installation the commands work on: the CLI's own.
  Context& context() { return *context_; }

 private:
  std::unique_ptr<Context> context_;
  // What Open found damaged in settings.cfg and domains.cfg.
  std::vector<FileProblem> list_damage_;
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
void RegisterCheckCommand(CLI::App& app, Session& session);
void RegisterStorageCommands(CLI::App& app, Session& session);
void RegisterChallengeCommands(CLI::App& app, Session& session);
void RegisterDbCommands(CLI::App& app, Session& session);
void RegisterRegistrationCommands(CLI::App& app, Session& session);
void RegisterIdnCommands(CLI::App& app, Session& session);
void RegisterUpgradeCommand(CLI::App& app, Session& session);
void RegisterMigrationCommands(CLI::App& app, Session& session);
void RegisterTrafficCommands(CLI::App& app, Session& session);
void RegisterSpamCommands(CLI::App& app, Session& session);

}  // namespace tarvelin::cli
