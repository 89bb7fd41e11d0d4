#include "store/file/account_cache.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "schema/user_record_offsets.h"
#include "schema/config_offsets.h"
#include "schema/server_config.h"
#include "foundation/bytes.h"
#include "foundation/expire_hash_collection.h"
#include "foundation/text.h"
#include "platform/lock_table.h"

namespace tarvelin {

namespace {

constexpr size_t kBytesPerEntry = 11392;

struct Entry {
  std::string users_path;
  std::string domain;
  FileStamp stamp;
  CachedAccount account;
  uint64_t sequence = 0;  // rises with every use: the cache's order
};
using Cache = ExpireHashCollection<Entry>;

}  // namespace

// The cache with a second index for logins: from each name an entry
// answers to (its mailbox name, or an alias item with its domain) to the
// entry's key, and the keys of entries whose alias list names a group.
// References are checked when used, so evictions need not update them;
// the index is rebuilt when it has grown well beyond the cache. Entries
// are indexed when a login search next asks, so that the lookups by
// address, which never use the index, do not pay for it.
struct AccountCache::State {
  explicit State(size_t capacity) : entries(capacity, 0) {}
  Cache entries;
  uint64_t next_sequence = 1;
  std::unordered_map<std::string, std::vector<std::string>> by_name;
  std::vector<std::string> with_groups;
  size_t references = 0;
  std::vector<std::string> unindexed;  // keys put since the index was brought up to date
  bool rebuild = false;                // too many of them: index everything anew
};

namespace {

using State = AccountCache::State;

std::string KeyOf(std::string_view local_part, std::string_view domain) {
  return ToLower(local_part) + "@" + ToLower(domain);
}

std::string MailboxName(std::string_view mailbox) { return "m:" + std::string(mailbox); }
std::string AliasName(std::string_view alias, std::string_view domain) {
  return "a:" + std::string(alias) + "@" + std::string(domain);
}

void IndexEntry(State& cache, std::string_view key, const Entry& entry) {
  const UserRecord& record = entry.account.record;
  if (record[user_offsets::kAccountType] == kUserAccount) {
    cache.by_name[MailboxName(MailboxNameOf(record))].emplace_back(key);
    ++cache.references;
  }
  bool with_group = false;
  for (const std::string& item : ListItems(GetPString(record.data() + user_offsets::kAliasList,
                                                      user_offsets::kAliasListCapacity))) {
    with_group |= IsGroupItem(item);
    cache.by_name[AliasName(item, entry.domain)].emplace_back(key);
    ++cache.references;
  }
  if (with_group) {
    cache.with_groups.emplace_back(key);
    ++cache.references;
  }
}

void RebuildIndex(State& cache) {
  cache.rebuild = false;
  cache.unindexed.clear();
  cache.by_name.clear();
  cache.with_groups.clear();
  cache.references = 0;
  cache.entries.ForEach(
      [&](std::string_view key, const Entry& entry) { IndexEntry(cache, key, entry); });
}

// Indexes the entries put since the last login search.
void CatchUp(State& cache) {
  if (cache.rebuild || cache.references > 8 * (cache.entries.capacity() + 16)) {
    RebuildIndex(cache);
    return;
  }
  for (const std::string& key : cache.unindexed) {
    if (const Entry* entry = cache.entries.Find(key)) IndexEntry(cache, key, *entry);
  }
  cache.unindexed.clear();
}

}  // namespace

size_t AccountCacheCapacity(const ServerConfig& record) {
  size_t capacity = record.Number(offsets::kAccountCacheEntries, 4);
  const size_t megabytes = record.Number(offsets::kAccountCacheMegabytes, 4);
  if (record.Byte(offsets::kStorageMode) == 0 && megabytes != 0) {
    capacity = std::max(capacity, megabytes * 1048576 / kBytesPerEntry);
  }
  return capacity;
}

AccountCache::AccountCache(Env& env, LockTable& locks) : env_(env), locks_(locks) {}
AccountCache::~AccountCache() = default;

void AccountCache::SetUp(const ServerConfig& record) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (record.Byte(offsets::kCachesOff) != 0) {
    state_.reset();
  } else {
    // File storage judges freshness by the file stamp alone: no maximum age.
    state_ = std::make_unique<State>(AccountCacheCapacity(record));
  }
}

bool AccountCache::on() const {
  ScopedLock lock(locks_, LockId::kCaches);
  return state_ != nullptr;
}

bool AccountCache::Get(std::string_view local_part, std::string_view domain,
                       std::string_view users_path, const FileStamp& current,
                       CachedAccount* account) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (state_ == nullptr) return false;
  Cache& entries = state_->entries;
  const std::string key = KeyOf(local_part, domain);
  const Entry* entry = entries.Find(key);
  if (entry == nullptr) return false;
  if (entry->users_path != users_path || !(entry->stamp == current)) {
    entries.Remove(key);
    return false;
  }
  Entry* used = entries.Use(key, env_.NowMonotonicSeconds());
  used->sequence = state_->next_sequence++;
  *account = used->account;
  return true;
}

void AccountCache::Put(std::string_view local_part, std::string_view domain,
                       std::string_view users_path, const FileStamp& stamp,
                       const CachedAccount& account) {
  ScopedLock lock(locks_, LockId::kCaches);
  State* cache = state_.get();
  if (cache == nullptr) return;
  const std::string key = KeyOf(local_part, domain);
  cache->entries.Put(
      key, Entry{std::string(users_path), ToLower(domain), stamp, account, cache->next_sequence++},
      env_.NowMonotonicSeconds());
  if (cache->rebuild) return;
  if (cache->unindexed.size() > 2 * cache->entries.capacity() + 64) {
    cache->unindexed.clear();
    cache->rebuild = true;
    return;
  }
  cache->unindexed.push_back(key);
}

std::vector<CachedCandidate> AccountCache::Candidates(const LoginName& login,
                                                      const GroupFileReader& groups) {
  std::vector<std::pair<uint64_t, CachedCandidate>> found;
  {
    ScopedLock lock(locks_, LockId::kCaches);
    State* cache = state_.get();
    if (cache == nullptr) return {};
    CatchUp(*cache);
    std::unordered_set<std::string> seen;
    auto consider = [&](const std::string& key) {
      if (!seen.insert(key).second) return;
      const Entry* entry = cache->entries.Find(key);
      if (entry == nullptr) return;
      if (login.by_alias ? !LoginNameMatches(login, entry->account.record, entry->domain, groups)
                         : MailboxNameOf(entry->account.record) != login.mailbox) {
        return;
      }
      found.emplace_back(entry->sequence,
                         CachedCandidate{key, entry->domain, entry->stamp, entry->account});
    };
    auto consider_all = [&](const std::string& name) {
      const auto it = cache->by_name.find(name);
      if (it == cache->by_name.end()) return;
      const std::vector<std::string> keys = it->second;
      for (const std::string& key : keys) consider(key);
    };
    if (login.by_alias) {
      for (const std::string& item : ListItems(login.alias)) {
        consider_all(AliasName(item, login.domain));
      }
      const std::vector<std::string> keys = cache->with_groups;
      for (const std::string& key : keys) consider(key);
    } else {
      consider_all(MailboxName(login.mailbox));
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<CachedCandidate> candidates;
  candidates.reserve(found.size());
  for (auto& [sequence, candidate] : found) candidates.push_back(std::move(candidate));
  return candidates;
}

bool AccountCache::Confirm(std::string_view key, const FileStamp& current) {
  ScopedLock lock(locks_, LockId::kCaches);
  State* cache = state_.get();
  if (cache == nullptr) return false;
  const Entry* entry = cache->entries.Find(key);
  if (entry == nullptr) return false;
  if (!(entry->stamp == current)) {
    cache->entries.Remove(key);
    return false;
  }
  cache->entries.Use(key, env_.NowMonotonicSeconds())->sequence = cache->next_sequence++;
  return true;
}

size_t AccountCache::Size() const {
  ScopedLock lock(locks_, LockId::kCaches);
  return state_ != nullptr ? state_->entries.Count() : 0;
}

}  // namespace tarvelin
