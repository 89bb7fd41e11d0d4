// Context: one open installation and everything the library holds for it:
// the Env that all its calls into the system go through, the ApiState, the
// configuration, the stores of domains, accounts and remote accounts, the
// lock table and the cross-process locks, the log writer, the account walks of the
// C API, the property names, the engine hooks, the configuration reloaders
// and the external password checkers. Nothing of it is shared with another
// Context: the C exports work on the one Context of the process
// (api/c/the_context.h); tests and tools build their own.
//
// Components that serve callers holding a const Context (the stores, the
// log writer, the locks) guard themselves and are handed out non-const.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "config/api_state.h"
#include "config/config_reloaders.h"
#include "config/config_state.h"
#include "core/accounts/engine_hooks.h"
#include "core/accounts/external_logon.h"
#include "core/load_notes.h"
#include "log/log_writer.h"
#include "platform/cross_process_locks.h"
#include "platform/env.h"
#include "platform/lock_table.h"
#include "schema/property_table.h"
#include "schema/spam_settings.h"
#include "services/service_channel.h"
#include "store/account_store.h"
#include "store/db/backend_library.h"
#include "store/domain_store.h"
#include "store/remote_store.h"
#include "core/walk_table.h"

namespace tarvelin {

// The waits after a failed login, in seconds.
using AuthSleep = std::function<void(int seconds)>;

struct ContextOptions {
  // The Env every call into the system goes through. Not owned: the caller
  // keeps it alive as long as the Context. A PosixEnv of the Context's own
  // when null.
  Env* env = nullptr;
  // Where the log writer takes its time from; the wall clock when null.
  std::unique_ptr<LogClock> log_clock;
  // The password checks of accounts with external authentication; PAM and
  // LDAP for a checker left empty.
  ExternalCheckers logon;
  // The waits after a failed login; real sleeps when empty.
  AuthSleep auth_sleep;
};

class Context {
 private:
  // First: the members below are handed them.
  std::unique_ptr<Env> own_env_;
  Env& env_;
  std::unique_ptr<LockTable> locks_;
  std::unique_ptr<CrossProcessLocks> file_locks_;
  // Before the stores, which call it.
  std::unique_ptr<BackendLibrary> backend_;

 public:
  explicit Context(ContextOptions options = {});
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  ApiState api;
  ConfigState config;

  Env& env() const { return env_; }

  // The stores follow `api.config_path` and `config.record` as they change.
  // The accounts are those of the database while database_storage().
  DomainStore& domains() const { return *domains_; }
  AccountStore& accounts() const { return database_storage() ? *db_accounts_ : *accounts_; }

  // The database library (db.so): loaded by the configuration load when
  // the storage mode or the log needs it, released by Done.
  BackendLibrary& backend() const { return *backend_; }
  // Storage mode 2 (variable 117) with the database library loaded.
  bool database_storage() const;

  RemoteStore& remotes() const { return *remotes_; }

  // The account walks handed out by number (the C API's walks).
  WalkTable& walks() const { return *walks_; }
  // What the C exports last handed out by position, checked by their saves
  // and deletes.
  LoadNotes& load_notes() const { return *load_notes_; }

  LockTable& locks() const { return *locks_; }
  // The locks other processes honour too: every read-check-write step on a
  // shared file holds one (store/lock_names.h names them).
  CrossProcessLocks& file_locks() const { return *file_locks_; }
  LogWriter& log() const { return *log_; }
  // What the log writer needs of the configuration, for one entry.
  LogSettings log_settings() const { return LogSettings{config.record, config.derived.file_name_tag}; }

  // The antispam settings of spam.dat, re-read at every configuration load
  // (core/antispam/spam_settings_file.h); process-wide and unlocked like
  // the configuration record.
  SpamSettings& spam_settings() { return spam_settings_; }
  const SpamSettings& spam_settings() const { return spam_settings_; }

  ConfigReloaders& reloaders() { return reloaders_; }
  const ConfigReloaders& reloaders() const { return reloaders_; }
  EngineHooks& hooks() { return *hooks_; }
  const EngineHooks& hooks() const { return *hooks_; }

  // Set these before the Context is used from several threads.
  const ExternalCheckers& logon() const { return logon_; }
  void set_logon(ExternalCheckers checkers);
  // Waits after a failed login.
  void AuthWait(int seconds) const;
  void set_auth_sleep(AuthSleep sleep);

  // The property names of the installation (apiconst.pas), read on first
  // use; a changed file is seen by the next Context.
  const PropertyTable& properties() const;

  // The channel to the services of this installation.
  ServiceChannel Channel() const {
    return ServiceChannel(env_, ServiceChannel::RunDirectory(env_, api.install_path));
  }

 private:
  std::unique_ptr<DomainStore> domains_;
  std::unique_ptr<AccountStore> accounts_;
  std::unique_ptr<AccountStore> db_accounts_;
  std::unique_ptr<RemoteStore> remotes_;
  std::unique_ptr<WalkTable> walks_;
  std::unique_ptr<LoadNotes> load_notes_ = std::make_unique<LoadNotes>();
  std::unique_ptr<LogWriter> log_;
  ConfigReloaders reloaders_;
  SpamSettings spam_settings_;
  std::unique_ptr<EngineHooks> hooks_;
  ExternalCheckers logon_;
  AuthSleep auth_sleep_;
  mutable std::mutex properties_mutex_;
  mutable std::map<std::string, std::unique_ptr<PropertyTable>> properties_;
};

}  // namespace tarvelin
