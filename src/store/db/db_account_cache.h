// The account cache of the database storage mode: copies of records that
// find account located, keyed by the lower-case local part, "@" and the
// lower-case domain. The database changes without any file, so an entry
// is served only while it has been used within the last
// kDatabaseAccountCacheMaxAge seconds; older ones are dropped when met.
// When full, an addition evicts the entry used longest ago. Every access
// runs under lock 4.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/expire_hash_collection.h"
#include "foundation/list_match.h"
#include "platform/env.h"
#include "platform/lock_table.h"
#include "schema/user_record.h"
#include "store/login_name.h"

namespace tarvelin {

class ServerConfig;

inline constexpr int64_t kDatabaseAccountCacheMaxAge = 15;

struct DbCachedAccount {
  std::string domain;
  UserRecord record;
  int position = -1;
};

class DbAccountCache {
 public:
  // Ages entries by the monotonic clock of `env`, which outlives the cache.
  DbAccountCache(Env& env, LockTable& locks) : env_(env), locks_(locks) {}

  // Empty, with the capacity of variable 424; none when variable 420 is on.
  void SetUp(const ServerConfig& record);

  // A fresh entry fills `account` and counts as used now; a stale one is
  // dropped. False on a miss, a stale entry or no cache.
  bool Get(std::string_view local_part, std::string_view domain, DbCachedAccount* account);
  // Adds or replaces the entry; nothing without a cache.
  void Put(std::string_view local_part, const DbCachedAccount& account);
  // The fresh entries whose record answers `login`, the one used longest
  // ago first, with their keys.
  std::vector<std::pair<std::string, DbCachedAccount>> Candidates(const LoginName& login,
                                                                  const GroupFileReader& groups);
  // Drops every entry of the domain: this program changed its accounts
  // (positions move, aliases go), which it need not wait to see.
  void ForgetDomain(std::string_view domain);
  // For a candidate that passed: true, and it counts as used now, while it
  // is still cached and fresh.
  bool Confirm(std::string_view key);

 private:
  bool Fresh(std::string_view key, int64_t now) const;

  Env& env_;
  LockTable& locks_;
  std::unique_ptr<ExpireHashCollection<DbCachedAccount>> entries_;  // null without a cache
};

}  // namespace tarvelin
