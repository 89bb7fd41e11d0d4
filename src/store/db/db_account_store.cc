#include "store/db/db_account_store.h"

#include <utility>

#include "foundation/text.h"
#include "store/domain_store.h"
#include "store/file/held_file_lock.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

// One version of a domain's accounts, read whole when the walk began.
class SnapshotIterator : public AccountIterator {
 public:
  explicit SnapshotIterator(std::vector<UserRecord> records) : records_(std::move(records)) {}

  int count() const override { return static_cast<int>(records_.size()); }
  void Seek(int position) override { position_ = position < 0 ? 0 : position; }
  bool Valid() const override { return position_ < count(); }
  void Next() override { ++position_; }
  int position() const override { return position_; }
  uint8_t account_type() const override { return AccountTypeOf(Current()); }
  bool MailboxIs(std::string_view lower_name) const override {
    return MailboxNameOf(Current()) == lower_name;
  }
  void ReadRecordInto(uint8_t* out) const override {
    std::copy(Current().begin(), Current().end(), out);
  }
  Status status() const override { return Status(); }

 private:
  const UserRecord& Current() const { return records_[static_cast<size_t>(position_)]; }

  std::vector<UserRecord> records_;
  int position_ = 0;
};

// `what` failed, and why.
Status Explained(const std::string& what, const Status& why) {
  return Status::Unavailable(what + ": " + why.message());
}

constexpr int kUserEnumStateSize = 3552;
constexpr int kWalkFlag = 3292;

}  // namespace

DbAccountStore::DbAccountStore(BackendLibrary& backend, Env& env, const std::string& config_path,
                               const ServerConfig& record, LockTable& locks,
                               CrossProcessLocks& file_locks)
    : backend_(backend),
      config_path_(config_path),
      record_(record),
      file_locks_(file_locks),
      cache_(env, locks) {}

void DbAccountStore::SetUpCache() { cache_.SetUp(record_); }

bool DbAccountStore::Exists(std::string_view domain) {
  UserRecord unused{};
  return backend_.GetUsers(domain, unused.data(), -1) >= 0;
}

int DbAccountStore::Count(std::string_view domain) {
  UserRecord unused{};
  return std::max(backend_.GetUsers(domain, unused.data(), -1), 0);
}

int DbAccountStore::Load(std::string_view domain, int position, UserRecord* record) {
  record->fill(0);
  const int count = backend_.GetUsers(domain, record->data(), position);
  // A failed call may have filled part of the record: none of it is handed out.
  if (count < 0 || position < 0 || position >= count) record->fill(0);
  return std::max(count, 0);
}

int DbAccountStore::PositionOfAlias(std::string_view domain, std::string_view alias) {
  return backend_.GetUsersIndex(domain, alias);
}

bool DbAccountStore::FindByAlias(std::string_view domain, std::string_view local_part,
                                 bool use_cache, UserRecord* record, int* position) {
  DbCachedAccount cached;
  if (use_cache && cache_.Get(local_part, domain, &cached)) {
    *record = cached.record;
    *position = cached.position;
    return true;
  }
  BackendLibrary::Hold hold(backend_);
  UserRecord found{};
  const std::string key = Trim(local_part);
  if (!backend_.GetLocalUser(key + "@" + std::string(domain), found.data())) return false;
  const int at = backend_.GetUsersIndex(domain, key);
  if (at < 0) return false;
  *record = found;
  *position = at;
  if (use_cache) cache_.Put(key, DbCachedAccount{std::string(domain), found, at});
  return true;
}

std::vector<int> DbAccountStore::PositionsOfMailbox(std::string_view domain,
                                                    const std::string& lower_name) {
  std::vector<int> positions;
  Result<std::vector<UserRecord>> records = ReadAll(domain);
  if (!records.ok()) return positions;
  for (size_t i = 0; i < records->size(); ++i) {
    const UserRecord& record = (*records)[i];
    if (AccountTypeOf(record) == kUserAccount && MailboxNameOf(record) == lower_name) {
      positions.push_back(static_cast<int>(i));
    }
  }
  return positions;
}

bool DbAccountStore::FindCachedLogin(const LoginName& login, const GroupFileReader& groups,
                                     const LoginCheck& check, UserRecord* record,
                                     std::string* domain) {
  for (const auto& [key, candidate] : cache_.Candidates(login, groups)) {
    if (!check(candidate.record, candidate.domain)) continue;
    if (!cache_.Confirm(key)) return false;
    *record = candidate.record;
    *domain = candidate.domain;
    return true;
  }
  return false;
}

bool DbAccountStore::FindLogin(std::string_view domain, const LoginName& login,
                               const GroupFileReader& groups, const LoginCheck& check,
                               UserRecord* record) {
  Result<std::vector<UserRecord>> records = ReadAll(domain);
  if (!records.ok()) return false;
  for (size_t i = 0; i < records->size(); ++i) {
    const UserRecord& candidate = (*records)[i];
    if (AccountTypeOf(candidate) != kUserAccount ||
        !LoginNameMatches(login, candidate, domain, groups) || !check(candidate, domain)) {
      continue;
    }
    *record = candidate;
    const std::string primary = PrimaryAliasOf(candidate);
    if (!primary.empty() && backend_.GetUsersIndex(domain, primary) == static_cast<int>(i)) {
      cache_.Put(primary, DbCachedAccount{std::string(domain), candidate, static_cast<int>(i)});
    }
    return true;
  }
  return false;
}

Result<std::vector<UserRecord>> DbAccountStore::ReadAll(std::string_view domain) {
  std::vector<uint8_t> state(kUserEnumStateSize, 0);
  state[kWalkFlag] = 1;
  std::vector<UserRecord> records;
  BackendLibrary::Hold hold(backend_);
  if (!backend_.InitUsers(domain, state.data(), -1, 0)) {
    // A domain without accounts may have no walk to start.
    Status why = backend_.Failure("DBInitUsers");
    UserRecord unused{};
    if (backend_.GetUsers(domain, unused.data(), -1) == 0) return records;
    return why;
  }
  while (!backend_.NextUser(state.data())) {
    UserRecord record{};
    std::copy(state.begin(), state.begin() + kUserRecordSize, record.begin());
    records.push_back(record);
  }
  backend_.DoneUsers(state.data());
  return records;
}

std::unique_ptr<AccountIterator> DbAccountStore::NewIterator(std::string_view domain) {
  Result<std::vector<UserRecord>> records = ReadAll(domain);
  if (!records.ok()) return nullptr;
  return std::make_unique<SnapshotIterator>(std::move(*records));
}

Result<std::unique_ptr<StoreLock>> DbAccountStore::LockDomain(std::string_view domain) {
  const std::string lower = ToLower(domain);
  if (!DomainStore::IsFolderName(lower)) {
    return Status::InvalidArgument("\"" + std::string(domain) + "\" cannot be a domain");
  }
  return HoldFileLock(file_locks_, config_path_, AccountsLockOf(lower));
}

Status DbAccountStore::Write(std::string_view domain, const UserRecord& record, int* position) {
  if (AliasListOf(record).empty()) return Status::InvalidArgument("an account needs an alias");
  Result<std::unique_ptr<StoreLock>> held = LockDomain(domain);
  if (!held.ok()) return held.status();
  BackendLibrary::Hold hold(backend_);
  const int before = *position;
  int32_t at = *position;
  if (!backend_.SaveUsers(domain, record.data(), &at)) {
    return Explained("cannot store the account in " + std::string(domain),
                     backend_.Failure("DBSaveUsers"));
  }
  *position = at;
  cache_.ForgetDomain(domain);
  if (before >= 0) {
    const std::string primary = PrimaryAliasOf(record);
    if (!primary.empty()) cache_.Put(primary, DbCachedAccount{std::string(domain), record, at});
  }
  return Status();
}

Status DbAccountStore::Remove(std::string_view domain, int position, UserRecord* removed,
                              std::vector<UserRecord>* groups) {
  if (position < 0) return Status::InvalidArgument("no position " + std::to_string(position));
  Result<std::unique_ptr<StoreLock>> held = LockDomain(domain);
  if (!held.ok()) return held.status();
  BackendLibrary::Hold hold(backend_);
  UserRecord record{};
  const int count = backend_.GetUsers(domain, record.data(), position);
  if (count < 0) return backend_.Failure("DBGetUsers");
  if (position >= count) {
    return Status::NotFound(std::string(domain) + " has no account at " + std::to_string(position));
  }
  if (!backend_.DeleteUsers(position)) {
    return Explained("cannot remove the account from " + std::string(domain),
                     backend_.Failure("DBDeleteUsers"));
  }
  cache_.ForgetDomain(domain);
  if (removed != nullptr) *removed = record;
  if (groups != nullptr) {
    groups->clear();
    Result<std::vector<UserRecord>> left = ReadAll(domain);
    if (!left.ok()) return left.status();
    for (const UserRecord& account : *left) {
      if (AccountTypeOf(account) == kGroupAccount) groups->push_back(account);
    }
  }
  return Status();
}

}  // namespace tarvelin
