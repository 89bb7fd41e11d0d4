#include "core/context.h"

#include <utility>

#include "core/antispam/spam_settings_file.h"
#include "core/logging.h"
#include "platform/posix_env.h"
#include "schema/config_offsets.h"
#include "store/db/connection_text.h"
#include "store/db/db_account_store.h"
#include "store/file/file_account_store.h"
#include "store/file/file_domain_store.h"
#include "store/file/file_remote_store.h"

namespace tarvelin {

namespace {

constexpr int kLogDatabase = 3255;  // variable 107

ExternalCheckers WithPlatformDefaults(ExternalCheckers checkers) {
  const ExternalCheckers platform = PlatformCheckers();
  if (!checkers.logon) checkers.logon = platform.logon;
  if (!checkers.ldap_bind) checkers.ldap_bind = platform.ldap_bind;
  return checkers;
}

std::unique_ptr<Env> OwnEnv(const ContextOptions& options) {
  return options.env == nullptr ? std::make_unique<PosixEnv>() : nullptr;
}

}  // namespace

Context::Context(ContextOptions options)
    : own_env_(OwnEnv(options)),
      env_(options.env != nullptr ? *options.env : *own_env_),
      locks_(std::make_unique<LockTable>()),
      file_locks_(std::make_unique<CrossProcessLocks>(env_)),
      backend_(std::make_unique<BackendLibrary>(
          *locks_, config.record,
          [this](const std::string& path, const Status& why) {
            LogError(*this, "LoadLibrary", path, false, why.sys_errno());
          })),
      domains_(std::make_unique<FileDomainStore>(env_, api.config_path, config.record,
                                                 config.derived.subdomains_enabled, *locks_,
                                                 backend_.get())),
      accounts_(std::make_unique<FileAccountStore>(env_, api.config_path, config.record, *locks_,
                                                   *file_locks_)),
      db_accounts_(std::make_unique<DbAccountStore>(*backend_, env_, api.config_path,
                                                    config.record, *locks_, *file_locks_)),
      remotes_(std::make_unique<FileRemoteStore>(env_, api.config_path, *locks_, *file_locks_)),
      walks_(std::make_unique<WalkTable>()),
      log_(std::make_unique<LogWriter>(
          env_, options.log_clock ? std::move(options.log_clock) : SystemLogClock(env_), *locks_)),
      hooks_(std::make_unique<EngineHooks>(*locks_)),
      logon_(WithPlatformDefaults(std::move(options.logon))),
      auth_sleep_(std::move(options.auth_sleep)) {
  // Variable 107 names the log's database; empty, the accounts' one.
  log_->SetDatabaseSink([this](const ServerConfig& record, const DatabaseLogEntry& entry) {
    if (!backend_->loaded()) return;
    const std::string text = record.Text(kLogDatabase);
    backend_->DoLog(text.empty() ? text : ResolveConnectionText(text, api.config_path), entry.kind,
                    static_cast<int32_t>(entry.entry_bits), entry.message, entry.time,
                    entry.thread, entry.source, entry.tag);
  });
  // An unreadable spam.dat leaves the settings as they were; the load of
  // the configuration goes on.
  reloaders_.Register("antispam settings", [this](const ApiState&, const ConfigState&) {
    const Status loaded = LoadSpamSettings(*this);
    if (!loaded.ok()) LogError(*this, "LoadSpamSettings", loaded.message(), false, loaded.sys_errno());
  });
}

Context::~Context() = default;

bool Context::database_storage() const {
  return config.record.Byte(offsets::kStorageMode) == 2 && backend_->loaded();
}

void Context::set_logon(ExternalCheckers checkers) {
  logon_ = WithPlatformDefaults(std::move(checkers));
}

void Context::set_auth_sleep(AuthSleep sleep) { auth_sleep_ = std::move(sleep); }

void Context::AuthWait(int seconds) const {
  if (auth_sleep_) {
    auth_sleep_(seconds);
  } else {
    env_.SleepForMicroseconds(int64_t{seconds} * 1000000);
  }
}

const PropertyTable& Context::properties() const {
  std::lock_guard<std::mutex> lock(properties_mutex_);
  std::unique_ptr<PropertyTable>& table = properties_[api.install_path];
  if (!table) table = std::make_unique<PropertyTable>(LoadPropertyTable(env_, api.install_path));
  return *table;
}

}  // namespace tarvelin
