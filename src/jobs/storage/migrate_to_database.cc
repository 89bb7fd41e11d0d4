// MigrateToDatabase (storage_migration.h).
#include <memory>
#include <vector>

#include "core/config/backend_connection.h"
#include "core/config/config_merge.h"
#include "core/context.h"
#include "jobs/storage/migration_steps.h"
#include "jobs/storage/storage_migration.h"
#include "schema/config_offsets.h"
#include "store/db/connection_text.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr size_t kConnectionTextMax = 255;

class ToDatabase {
 public:
  ToDatabase(Context& context, const MigrationProgress& progress, const MigrationStop& stop)
      : context_(context), backend_(context.backend()), progress_(progress), stop_(stop) {}

  // The library connected to `text`, the target emptied when `replace`.
  Status Connect(const std::string& text, bool replace) {
    TARVELIN_RETURN_IF_ERROR(backend_.Connect(context_.api.install_path, text));
    TarvelinDbConnection* connection = backend_.SetConnection(text);
    if (connection == nullptr) return backend_.Failure("DBSetConnection");
    const int32_t held = backend_.GetDomainCount();
    if (held < 0) return backend_.Failure("DBGetDomainCount");
    if (held > 0 && !replace) {
      return Status::Refused("the database already holds " + std::to_string(held) +
                             " domains; replace them to migrate into it");
    }
    connection_ = connection;
    if (held > 0) TARVELIN_RETURN_IF_ERROR(Empty());
    return Status();
  }

  Status Empty() const {
    if (!backend_.DropTables(connection_)) return backend_.Failure("DBDropTables");
    if (!backend_.CreateTables(connection_)) return backend_.Failure("DBCreateTables");
    return Status();
  }

  // Copies and checks every domain; `stopped` when asked to stop.
  Status Copy(MigrationOutcome* outcome) {
    DomainStore& domains = context_.domains();
    std::vector<std::string> names;
    int total = 0;
    for (int i = 0; i < domains.Count(); ++i) {
      names.push_back(domains.NameAt(i));
      total += context_.accounts().Count(names.back());
    }
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
      if (Stopped(outcome)) return Status();
      TARVELIN_RETURN_IF_ERROR(CopyDomain(i, names[i], total, outcome));
      if (outcome->stopped) return Status();
      ++outcome->domains;
    }
    Result<std::string> entries = DatabaseDomainEntries(backend_);
    TARVELIN_RETURN_IF_ERROR(entries.status());
    if (NamesOfEntries(*entries) != names) {
      return Status::Corruption(
          "the database lists " + std::to_string(NamesOfEntries(*entries).size()) +
          " domains after the copy, domains.cfg " + std::to_string(names.size()));
    }
    return Status();
  }

 private:
  bool Stopped(MigrationOutcome* outcome) const {
    if (stop_ && stop_()) outcome->stopped = true;
    return outcome->stopped;
  }

  Status CopyDomain(int position, const std::string& name, int total, MigrationOutcome* outcome) {
    DomainStore& domains = context_.domains();
    // Kept until the switch: an account written after its domain was copied
    // would be lost.
    Result<CrossProcessLocks::Held> lock =
        context_.file_locks().Acquire(LockFileOf(context_.api.config_path), AccountsLockOf(name));
    TARVELIN_RETURN_IF_ERROR(lock.status());
    domain_locks_.push_back(std::move(*lock));

    backend_.AddDomain(name);
    DomainRecord domain_record{};
    const bool has_record = domains.LoadRecord(name, &domain_record).ok();
    if (has_record && !backend_.SetDomain(name, domain_record.data())) {
      return In(name, backend_.Failure("DBSetDomain"));
    }
    if (domains.BindingFlag(position)) backend_.SetDomainIP(name, domains.GetBinding(position));

    AccountStore& accounts = context_.accounts();
    int copied = 0;
    if (std::unique_ptr<AccountIterator> it = accounts.NewIterator(name)) {
      UserRecord record;
      for (; it->Valid(); it->Next()) {
        if (Stopped(outcome)) return Status();
        it->ReadRecord(&record);
        int32_t at = -1;
        if (!backend_.SaveUsers(name, record.data(), &at)) {
          return In(name, backend_.Failure("DBSaveUsers"));
        }
        if (at != it->position()) {
          return Status::Corruption("the database put account " + std::to_string(it->position()) +
                                    " of " + name + " at position " + std::to_string(at));
        }
        ++copied;
        ++outcome->accounts;
        if (progress_) progress_(outcome->accounts, total);
      }
      TARVELIN_RETURN_IF_ERROR(it->status());
    }
    return Check(name, has_record ? &domain_record : nullptr, copied);
  }

  // The counts and the sample of `name` against what the files hold.
  Status Check(const std::string& name, const DomainRecord* domain_record, int count) {
    if (domain_record != nullptr) {
      DomainRecord stored{};
      if (!backend_.GetDomain(name, stored.data()))
        return In(name, backend_.Failure("DBGetDomain"));
      if (stored != *domain_record) {
        return Status::Corruption("the record of " + name + " differs in the database");
      }
    }
    UserRecord files, database;
    Result<int> held = DatabaseAccount(backend_, name, 0, &database);
    TARVELIN_RETURN_IF_ERROR(held.status());
    if (*held != count) {
      return Status::Corruption("the database holds " + std::to_string(*held) + " accounts of " +
                                name + ", users.cfg " + std::to_string(count));
    }
    for (int position : SamplePositions(count)) {
      TARVELIN_RETURN_IF_ERROR(DatabaseAccount(backend_, name, position, &database).status());
      context_.accounts().Load(name, position, &files);
      TARVELIN_RETURN_IF_ERROR(SameAccount(files, database, name, position));
    }
    return Status();
  }

  // A failure of db.so, naming the domain.
  static Status In(const std::string& domain, const Status& failure) {
    return Status::Unavailable("domain " + domain + ": " + failure.message());
  }

  Context& context_;
  BackendLibrary& backend_;
  const MigrationProgress& progress_;
  const MigrationStop& stop_;
  TarvelinDbConnection* connection_ = nullptr;
  std::vector<CrossProcessLocks::Held> domain_locks_;
};

}  // namespace

Result<MigrationOutcome> MigrateToDatabase(Context& context, const DatabaseTarget& target,
                                           const MigrationProgress& progress,
                                           const MigrationStop& stop) {
  if (context.config.record.Byte(offsets::kStorageMode) == 2) {
    return Status::Refused("the domains and accounts are in the database already");
  }
  if (target.connection_text.size() > kConnectionTextMax) {
    return Status::InvalidArgument("the connection text is longer than 255 characters");
  }
  Result<CrossProcessLocks::Held> settings = LockCurrentConfiguration(context);
  TARVELIN_RETURN_IF_ERROR(settings.status());
  const std::string stored_text = target.connection_text.empty()
                                      ? context.config.record.Text(offsets::kAccountDatabase)
                                      : target.connection_text;
  const std::string text = ResolveConnectionText(stored_text, context.api.config_path);

  MigrationOutcome outcome;
  ToDatabase run(context, progress, stop);
  Status status = run.Connect(text, target.replace);
  const bool filling = status.ok();
  if (filling) status = run.Copy(&outcome);
  if (status.ok() && !outcome.stopped) {
    status = SwitchStorageMode(context, 2, target.connection_text.empty() ? nullptr : &stored_text);
    if (status.ok()) return outcome;
  }
  // Nothing switched: the database is left empty for the next try, and the
  // library as the configuration wants it.
  if (filling) run.Empty();
  if (BackendWanted(context)) {
    ConnectBackend(context);
  } else {
    context.backend().Release();
  }
  if (!status.ok()) return status;
  return outcome;
}

}  // namespace tarvelin
