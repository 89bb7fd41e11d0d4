// MigrateToFiles (storage_migration.h).
#include <memory>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/config/backend_connection.h"
#include "core/config/config_merge.h"
#include "core/config/config_variables.h"
#include "core/context.h"
#include "jobs/storage/migration_steps.h"
#include "jobs/storage/storage_migration.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"
#include "schema/config_offsets.h"
#include "store/file/domain_file.h"
#include "store/file/stored_record.h"
#include "store/file/users_file.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr int kEncipherPasswords = 205;  // variable: users.cfg keeps passwords enciphered

bool EncipherPasswords(Context& context) {
  return ConfigSettingNumber(context, kEncipherPasswords) != 0;
}

class ToFiles {
 public:
  ToFiles(Context& context, const MigrationProgress& progress, const MigrationStop& stop)
      : context_(context),
        env_(context.env()),
        backend_(context.backend()),
        progress_(progress),
        stop_(stop),
        encipher_(EncipherPasswords(context)) {}

  Status Copy(const std::vector<std::string>& names, MigrationOutcome* outcome) {
    int total = 0;
    for (const std::string& name : names) total += context_.accounts().Count(name);
    for (const std::string& name : names) {
      if (Stopped(outcome)) return Status();
      TARVELIN_RETURN_IF_ERROR(CopyDomain(name, total, outcome));
      if (outcome->stopped) return Status();
      ++outcome->domains;
    }
    return Status();
  }

 private:
  bool Stopped(MigrationOutcome* outcome) const {
    if (stop_ && stop_()) outcome->stopped = true;
    return outcome->stopped;
  }

  Status CopyDomain(const std::string& name, int total, MigrationOutcome* outcome) {
    const std::string folder = DomainFolder(context_, name);
    if (folder.empty()) {
      return Status::InvalidArgument("the database names a domain \"" + name +
                                     "\" that cannot be a folder");
    }
    // Kept until the switch: an account written after its domain was copied
    // would be lost.
    Result<CrossProcessLocks::Held> lock =
        context_.file_locks().Acquire(LockFileOf(context_.api.config_path), AccountsLockOf(name));
    TARVELIN_RETURN_IF_ERROR(lock.status());
    domain_locks_.push_back(std::move(*lock));

    DomainRecord domain_record{};
    const bool has_record = backend_.GetDomain(name, domain_record.data());
    if (has_record) TARVELIN_RETURN_IF_ERROR(WriteDomainFile(env_, folder, domain_record));
    if (!DirectoryExists(env_, folder)) TARVELIN_RETURN_IF_ERROR(env_.CreateDirectories(folder));

    const std::string path = UsersFilePath(folder);
    ReplacementFile users(env_);
    TARVELIN_RETURN_IF_ERROR(users.OpenFile(path + ".tmp", path));
    int copied = 0;
    if (std::unique_ptr<AccountIterator> it = context_.accounts().NewIterator(name)) {
      UserRecord record, stored;
      for (; it->Valid(); it->Next()) {
        if (Stopped(outcome)) return Status();
        it->ReadRecord(&record);
        if (!StoredFromRecord(record, encipher_, &stored)) {
          return Status::InvalidArgument("the password of account " +
                                         std::to_string(it->position()) + " of " + name +
                                         " cannot be stored in users.cfg");
        }
        TARVELIN_RETURN_IF_ERROR(users.Append(stored.data(), stored.size()));
        ++copied;
        ++outcome->accounts;
        if (progress_) progress_(outcome->accounts, total);
      }
      TARVELIN_RETURN_IF_ERROR(it->status());
    }
    TARVELIN_RETURN_IF_ERROR(users.CommitFile());
    return Check(name, folder, has_record ? &domain_record : nullptr, copied);
  }

  // The files written for `name` read back against the database.
  Status Check(const std::string& name, const std::string& folder,
               const DomainRecord* domain_record, int count) {
    if (domain_record != nullptr) {
      DomainRecord written{};
      TARVELIN_RETURN_IF_ERROR(ReadDomainFile(env_, folder + kDomainFileName, &written));
      if (written != *domain_record) {
        return Status::Corruption("domain.cfg of " + name + " differs from the database");
      }
    }
    UserRecord files, database;
    Result<int> held = DatabaseAccount(backend_, name, 0, &database);
    TARVELIN_RETURN_IF_ERROR(held.status());
    const int written = CountUsers(env_, folder);
    if (*held != count || written != count) {
      return Status::Corruption("users.cfg of " + name + " holds " + std::to_string(written) +
                                " accounts, the database " + std::to_string(*held));
    }
    for (int position : SamplePositions(count)) {
      TARVELIN_RETURN_IF_ERROR(DatabaseAccount(backend_, name, position, &database).status());
      LoadUserAt(env_, folder, position, &files);
      TARVELIN_RETURN_IF_ERROR(SameAccount(files, database, name, position));
    }
    return Status();
  }

  Context& context_;
  Env& env_;
  BackendLibrary& backend_;
  const MigrationProgress& progress_;
  const MigrationStop& stop_;
  const bool encipher_;
  std::vector<CrossProcessLocks::Held> domain_locks_;
};

// domains.cfg with the database's list, read back; the count in the record
// follows it.
Status WriteDomainList(Context& context, const std::string& entries) {
  const std::string path = context.api.config_path + "domains.cfg";
  TARVELIN_RETURN_IF_ERROR(WriteFileAtomic(context.env(), path, entries));
  std::string written;
  TARVELIN_RETURN_IF_ERROR(context.env().ReadFile(path, &written));
  if (written != entries) return Status::Corruption("domains.cfg differs from the database's list");
  return Status();
}

}  // namespace

Result<MigrationOutcome> MigrateToFiles(Context& context, const MigrationProgress& progress,
                                        const MigrationStop& stop) {
  ServerConfig& record = context.config.record;
  if (record.Byte(offsets::kStorageMode) != 2) {
    return Status::Refused("the domains and accounts are in files already");
  }
  Result<CrossProcessLocks::Held> settings = LockCurrentConfiguration(context);
  TARVELIN_RETURN_IF_ERROR(settings.status());
  TARVELIN_RETURN_IF_ERROR(
      context.backend().Connect(context.api.install_path, AccountConnectionText(context)));
  Result<std::string> entries = DatabaseDomainEntries(context.backend());
  TARVELIN_RETURN_IF_ERROR(entries.status());
  const std::vector<std::string> names = NamesOfEntries(*entries);

  MigrationOutcome outcome;
  ToFiles run(context, progress, stop);
  TARVELIN_RETURN_IF_ERROR(run.Copy(names, &outcome));
  if (outcome.stopped) return outcome;
  TARVELIN_RETURN_IF_ERROR(WriteDomainList(context, *entries));

  const uint32_t old_count = record.Number(offsets::kDomainCount, 4);
  record.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(names.size()));
  record.SetByte(offsets::kStorageMode, 1);
  // The list is read from the files from now on.
  context.domains().Load();
  const Status switched = SwitchStorageMode(context, 1, nullptr);
  if (!switched.ok()) {
    record.SetNumber(offsets::kDomainCount, 4, old_count);
    record.SetByte(offsets::kStorageMode, 2);
    context.domains().Load();
    return switched;
  }
  if (!BackendWanted(context)) context.backend().Release();
  return outcome;
}

}  // namespace tarvelin
