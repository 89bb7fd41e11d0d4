#include "store/file/file_account_store.h"

#include <algorithm>

#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/os_path.h"
#include "schema/user_record_offsets.h"
#include "store/domain_store.h"
#include "store/file/group_files.h"
#include "store/file/held_file_lock.h"
#include "store/file/stored_record.h"
#include "store/file/users_file.h"
#include "store/file/users_file_iterator.h"

namespace tarvelin {

namespace {

constexpr int kEncipherPasswords = 187;  // variable 205
constexpr int kWalkRecordsPerRead = 32;
constexpr int kLoginRecordsPerRead = 64;

Status NoFolder(std::string_view domain) {
  return Status::InvalidArgument("\"" + std::string(domain) + "\" cannot be a domain folder");
}

}  // namespace

FileAccountStore::FileAccountStore(Env& env, const std::string& config_path,
                                   const ServerConfig& record, LockTable& locks,
                                   CrossProcessLocks& file_locks)
    : env_(env),
      config_path_(config_path),
      record_(record),
      file_locks_(file_locks),
      indexes_(env, locks),
      mailbox_indexes_(env),
      cache_(env, locks) {}

FileStamp FileAccountStore::StampOf(const std::string& path) const {
  return env_.GetFileStamp(path).value_or(FileStamp{});
}

void FileAccountStore::SetUpCache() { cache_.SetUp(record_); }

std::string FileAccountStore::Folder(std::string_view domain) const {
  const std::string lower = ToLower(domain);
  if (!DomainStore::IsFolderName(lower)) return {};
  return config_path_ + lower + kPathSeparator;
}

std::string FileAccountStore::UsersPath(std::string_view domain) const {
  const std::string folder = Folder(domain);
  return folder.empty() ? folder : UsersFilePath(folder);
}

bool FileAccountStore::Exists(std::string_view domain) {
  const std::string path = UsersPath(domain);
  return !path.empty() && FileExists(env_, path);
}

int FileAccountStore::Count(std::string_view domain) {
  const std::string folder = Folder(domain);
  return folder.empty() ? 0 : CountUsers(env_, folder);
}

int FileAccountStore::Load(std::string_view domain, int position, UserRecord* record) {
  record->fill(0);
  const std::string folder = Folder(domain);
  return folder.empty() ? 0 : LoadUserAt(env_, folder, position, record);
}

IndexedFile FileAccountStore::IndexOf(const std::string& path, const FileStamp& stamp,
                                      bool with_file) {
  IndexedFile indexed = stamp.exists ? indexes_.Find(path, stamp) : IndexedFile{};
  if (indexed.index == nullptr || (with_file && indexed.file == nullptr)) {
    indexed = indexes_.Open(path);
  }
  return indexed;
}

int FileAccountStore::PositionOfAlias(std::string_view domain, std::string_view alias) {
  const std::string path = UsersPath(domain);
  if (path.empty()) return -1;
  // A stamp check is all a known version costs.
  const IndexedFile indexed = IndexOf(path, StampOf(path), /*with_file=*/false);
  return indexed.index == nullptr
             ? -1
             : indexed.index->FindFirst(alias, GroupFilesIn(env_, config_path_));
}

bool FileAccountStore::FindByAlias(std::string_view domain, std::string_view local_part,
                                   bool use_cache, UserRecord* record, int* position) {
  const std::string path = UsersPath(domain);
  if (path.empty()) return false;
  // One stamp serves the cache and the index.
  const FileStamp current = StampOf(path);
  const std::string key = ToLower(Trim(local_part));
  CachedAccount cached;
  if (use_cache && current.exists && cache_.Get(key, domain, path, current, &cached)) {
    *record = cached.record;
    *position = cached.position;
    return true;
  }
  const IndexedFile indexed = IndexOf(path, current, /*with_file=*/true);
  if (indexed.file == nullptr) return false;
  const int found = indexed.index->FindFirst(local_part, GroupFilesIn(env_, config_path_));
  if (found < 0) return false;
  UserRecord stored;
  if (indexed.file->ReadAt(int64_t{found} * kUserRecordSize, stored.data(), stored.size()) !=
      kUserRecordSize) {
    return false;
  }
  *record = RecordFromStored(stored.data());
  *position = found;
  // An answer that groups decided may change without the file.
  if (use_cache && !indexed.index->DependsOnGroups(found)) {
    cache_.Put(key, domain, path, indexed.file->stamp(), CachedAccount{*record, found});
  }
  return true;
}

std::vector<int> FileAccountStore::PositionsOfMailbox(std::string_view domain,
                                                      const std::string& lower_name) {
  const std::string path = UsersPath(domain);
  if (path.empty()) return {};
  const std::shared_ptr<const MailboxIndex> index = mailbox_indexes_.ForFile(path);
  return index == nullptr ? std::vector<int>() : index->PositionsOf(lower_name);
}

bool FileAccountStore::FindCachedLogin(const LoginName& login, const GroupFileReader& groups,
                                       const LoginCheck& check, UserRecord* record,
                                       std::string* domain) {
  for (const CachedCandidate& candidate : cache_.Candidates(login, groups)) {
    if (!check(candidate.account.record, candidate.domain)) continue;
    const std::string path = UsersPath(candidate.domain);
    const FileStamp current = path.empty() ? FileStamp{} : StampOf(path);
    if (!cache_.Confirm(candidate.key, current)) return false;
    *record = candidate.account.record;
    *domain = candidate.domain;
    return true;
  }
  return false;
}

void FileAccountStore::CacheFound(const std::string& path, const StampedFile& file,
                                  std::string_view domain, const UserRecord& record, int position,
                                  const GroupFileReader& groups) {
  const std::string primary = PrimaryAliasOf(record);
  if (primary.empty()) return;
  const IndexedFile indexed = IndexOf(path, file.stamp(), /*with_file=*/false);
  if (indexed.index == nullptr || !(indexed.index->stamp() == file.stamp())) return;
  if (indexed.index->FindFirst(primary, groups) != position ||
      indexed.index->DependsOnGroups(position)) {
    return;
  }
  cache_.Put(primary, domain, path, file.stamp(), CachedAccount{record, position});
}

bool FileAccountStore::FindLogin(std::string_view domain, const LoginName& login,
                                 const GroupFileReader& groups, const LoginCheck& check,
                                 UserRecord* record) {
  const std::string path = UsersPath(domain);
  if (path.empty()) return false;
  auto file = std::make_shared<StampedFile>();
  if (!file->OpenFile(env_, path).ok()) return false;
  int first = 0;
  // With alias logins the alias index names the first record that can
  // match; a scan goes on from there only when that one fails.
  if (login.by_alias) {
    if (login.domain != domain) return false;
    const IndexedFile indexed = IndexOf(path, file->stamp(), /*with_file=*/false);
    if (indexed.index != nullptr && indexed.index->stamp() == file->stamp()) {
      first = indexed.index->FindFirst(login.alias, groups);
      if (first < 0) return false;
    }
  }
  UsersFileIterator it(file, kLoginRecordsPerRead);
  for (it.Seek(first); it.Valid(); it.Next()) {
    // Most records are ruled out by two fields, without unscrambling them.
    if (it.account_type() != kUserAccount) continue;
    if (!login.by_alias && !it.MailboxIs(login.mailbox)) continue;
    const UserRecord candidate = it.record();
    if (!check(candidate, domain)) continue;
    *record = candidate;
    if (cache_.on()) CacheFound(path, *file, domain, candidate, it.position(), groups);
    return true;
  }
  return false;
}

std::unique_ptr<AccountIterator> FileAccountStore::NewIterator(std::string_view domain) {
  const std::string path = UsersPath(domain);
  if (path.empty()) return nullptr;
  auto file = std::make_shared<StampedFile>();
  if (!file->OpenFile(env_, path).ok()) return nullptr;
  return std::make_unique<UsersFileIterator>(std::move(file), kWalkRecordsPerRead);
}

Result<std::unique_ptr<StoreLock>> FileAccountStore::LockDomain(std::string_view domain) {
  const std::string lower = ToLower(domain);
  if (!DomainStore::IsFolderName(lower)) return NoFolder(domain);
  return HoldFileLock(file_locks_, config_path_, AccountsLockOf(lower));
}

Status FileAccountStore::Write(std::string_view domain, const UserRecord& record, int* position) {
  const std::string folder = Folder(domain);
  if (folder.empty()) return NoFolder(domain);
  const std::string path = UsersFilePath(folder);
  Result<std::unique_ptr<StoreLock>> held = LockDomain(domain);
  if (!held.ok()) return held.status();
  UsersFileAppend append;
  TARVELIN_RETURN_IF_ERROR(WriteUserAt(env_, folder, record, position,
                                       record_.Byte(kEncipherPasswords) != 0, &append));
  if (append.done) {
    // Provisioning appends account after account: the indexes grow with
    // the file instead of being built anew for each.
    indexes_.Appended(path, append.before, append.after, AliasListOf(record), *position);
    mailbox_indexes_.Appended(path, append.before, append.after, record, *position);
  } else {
    // The replaced version need not stay open for the index.
    indexes_.Forget(path);
  }
  return Status();
}

Status FileAccountStore::Remove(std::string_view domain, int position, UserRecord* removed,
                                std::vector<UserRecord>* groups) {
  const std::string folder = Folder(domain);
  if (folder.empty()) return NoFolder(domain);
  const std::string path = UsersFilePath(folder);
  Result<std::unique_ptr<StoreLock>> held = LockDomain(domain);
  if (!held.ok()) return held.status();
  TARVELIN_RETURN_IF_ERROR(RemoveUserAt(env_, folder, position, removed, groups));
  indexes_.Forget(path);
  return Status();
}

}  // namespace tarvelin
