// The accounts of every domain in the account database, reached through
// db.so (backend_library.h): the account store of storage mode 2. Lookups
// by login and by address go through the database account cache
// (db_account_cache.h). LockDomain holds the same cross-process lock of
// the domain as the file store, so a check and the write after it stay one
// step among the programs of this machine.
//
// A call the database refuses is a failed Status carrying db.so's reason;
// nothing is reported as written that was not. db.so cannot read
// groups.dat: group items in alias lists match nothing here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cross_process_locks.h"
#include "platform/env.h"
#include "platform/lock_table.h"
#include "schema/server_config.h"
#include "store/account_store.h"
#include "store/db/backend_library.h"
#include "store/db/db_account_cache.h"

namespace tarvelin {

class DbAccountStore : public AccountStore {
 public:
  // Follows the configuration folder (for the cross-process locks) and the
  // record (the cache settings) as their owner changes them; everything
  // handed in outlives the store.
  DbAccountStore(BackendLibrary& backend, Env& env, const std::string& config_path,
                 const ServerConfig& record, LockTable& locks, CrossProcessLocks& file_locks);

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
  // The domain's accounts as they were when it began, read in one walk.
  std::unique_ptr<AccountIterator> NewIterator(std::string_view domain) override;
  Result<std::unique_ptr<StoreLock>> LockDomain(std::string_view domain) override;
  Status Write(std::string_view domain, const UserRecord& record, int* position) override;
  Status Remove(std::string_view domain, int position, UserRecord* removed,
                std::vector<UserRecord>* groups) override;

 private:
  // Every account of the domain in position order; a failed walk is the
  // backend's failure.
  Result<std::vector<UserRecord>> ReadAll(std::string_view domain);

  BackendLibrary& backend_;
  const std::string& config_path_;
  const ServerConfig& record_;
  CrossProcessLocks& file_locks_;
  DbAccountCache cache_;
};

}  // namespace tarvelin
