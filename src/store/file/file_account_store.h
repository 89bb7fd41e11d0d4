// The accounts of each domain in its users.cfg (users_file.h), below the
// configuration folder, with what makes lookups cheap: the alias index of
// each file version (index_registry.h), the account cache
// (account_cache.h) and the mailbox-name index (mailbox_index.h). Every
// structure serves only the file version it was built from, so a write by
// any program is seen at the next call. Writes hold the domain's lock of
// the installation's cross-process locks (store/lock_names.h), which
// LockDomain hands to callers that check before they write.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/cross_process_locks.h"
#include "platform/env.h"
#include "platform/lock_table.h"
#include "platform/stamped_file.h"
#include "schema/server_config.h"
#include "store/account_store.h"
#include "store/file/account_cache.h"
#include "store/file/index_registry.h"
#include "store/file/mailbox_index.h"

namespace tarvelin {

class FileAccountStore : public AccountStore {
 public:
  // Follows the configuration folder and the record (variable 205 decides
  // whether passwords are stored enciphered; the cache settings) as their
  // owner changes them; works through `env` and takes `file_locks`, which
  // outlive the store.
  FileAccountStore(Env& env, const std::string& config_path, const ServerConfig& record,
                   LockTable& locks, CrossProcessLocks& file_locks);

  void SetUpCache() override;
  bool Exists(std::string_view domain) override;
  int Count(std::string_view domain) override;
  int Load(std::string_view domain, int position, UserRecord* record) override;
  int PositionOfAlias(std::string_view domain, std::string_view alias) override;
  bool FindByAlias(std::string_view domain, std::string_view local_part, bool use_cache,
                   UserRecord* record, int* position) override;
  std::vector<int> PositionsOfMailbox(std::string_view domain,
                                      const std::string& lower_name) override;
  bool FindCachedLogin(const LoginName& login, const GroupFileReader& groups,
                       const LoginCheck& check, UserRecord* record, std::string* domain) override;
  bool FindLogin(std::string_view domain, const LoginName& login, const GroupFileReader& groups,
                 const LoginCheck& check, UserRecord* record) override;
  std::unique_ptr<AccountIterator> NewIterator(std::string_view domain) override;
  Result<std::unique_ptr<StoreLock>> LockDomain(std::string_view domain) override;
  Status Write(std::string_view domain, const UserRecord& record, int* position) override;
  Status Remove(std::string_view domain, int position, UserRecord* removed,
                std::vector<UserRecord>* groups) override;

  const AccountCache& cache() const { return cache_; }

 private:
  // The domain's folder (ending with a separator) and its users.cfg; empty
  // for a name that cannot be one folder.
  std::string Folder(std::string_view domain) const;
  std::string UsersPath(std::string_view domain) const;
  // The alias index of the version of `path` with `stamp`, building it
  // from the version now on disk when unknown (or, `with_file`, when that
  // version is no longer held open).
  IndexedFile IndexOf(const std::string& path, const FileStamp& stamp, bool with_file);
  // Puts a record the login search found into the cache under its primary
  // alias, provided a lookup by that alias would answer this very record
  // from this version of the file.
  void CacheFound(const std::string& path, const StampedFile& file, std::string_view domain,
                  const UserRecord& record, int position, const GroupFileReader& groups);

  // A missing file, or one that cannot be examined, has the stamp of a
  // missing file.
  FileStamp StampOf(const std::string& path) const;

  Env& env_;
  const std::string& config_path_;
  const ServerConfig& record_;
  CrossProcessLocks& file_locks_;
  IndexRegistry indexes_;
  MailboxIndexes mailbox_indexes_;
  AccountCache cache_;
};

}  // namespace tarvelin
