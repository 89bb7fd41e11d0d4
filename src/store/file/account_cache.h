// The account cache: copies of records that find account located, keyed by
// the lower-case local part, "@" and the lower-case domain. Its users put
// only answers that the users.cfg version alone decides (no group item
// could have changed them). Each entry
// carries the stamp of the users.cfg version it was read from (the path,
// modification time in nanoseconds, size and inode) and is served only
// while the file still has that stamp, so a write by any program makes
// every entry of the domain stale at once. When full, an addition evicts
// the entry used longest ago. Every access runs under lock 4.
//
// The account store owns it; the configuration load sets it up (capacity
// from variables 424 and 228) or, with variable 420 on, removes it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/login_name.h"
#include "schema/user_record.h"
#include "foundation/list_match.h"
#include "platform/env.h"
#include "platform/lock_table.h"

namespace tarvelin {

class ServerConfig;

struct CachedAccount {
  UserRecord record;
  int position = -1;  // in the users.cfg version of the stamp
};

// Variable 424 entries; in storage mode 0 at least variable 228 megabytes
// worth of entries (228 x 1048576 / 11392) when 228 is not 0.
size_t AccountCacheCapacity(const ServerConfig& record);

// A cached account as the login search tries it.
struct CachedCandidate {
  std::string key;
  std::string domain;
  FileStamp stamp;  // of the users.cfg version it was read from
  CachedAccount account;
};

class AccountCache {
 public:
  // Ages entries by the monotonic clock of `env`, which outlives the cache.
  AccountCache(Env& env, LockTable& locks);
  ~AccountCache();
  AccountCache(const AccountCache&) = delete;
  AccountCache& operator=(const AccountCache&) = delete;

  // Creates the cache afresh (empty), or removes it when variable 420 is on.
  void SetUp(const ServerConfig& record);
  bool on() const;

  // A fresh entry fills `account` and counts as used now; a stale one is
  // dropped. False on a miss, a stale entry or no cache.
  bool Get(std::string_view local_part, std::string_view domain, std::string_view users_path,
           const FileStamp& current, CachedAccount* account);
  // Adds or replaces the entry; nothing without a cache.
  void Put(std::string_view local_part, std::string_view domain, std::string_view users_path,
           const FileStamp& stamp, const CachedAccount& account);
  // The entries whose record answers `login` (login_name.h), in the cache's
  // order: the one used longest ago first. Their freshness is not tested.
  std::vector<CachedCandidate> Candidates(const LoginName& login, const GroupFileReader& groups);
  // For a candidate that passed: true, and the entry counts as used now,
  // when it is still cached from the users.cfg version `current`; an entry
  // from another version is dropped.
  bool Confirm(std::string_view key, const FileStamp& current);

  // Entries held (0 without a cache).
  size_t Size() const;

  struct State;  // the entries and their login index

 private:
  Env& env_;
  LockTable& locks_;
  std::unique_ptr<State> state_;  // null without a cache
};

}  // namespace tarvelin
