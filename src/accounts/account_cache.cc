#include "accounts/account_cache.h"

#include <algorithm>
#include <memory>

#include "config/config_offsets.h"
#include "config/server_config.h"
#include "foundation/expire_hash_collection.h"
#include "foundation/text.h"
#include "frame/lock_table.h"
#include "platform/monotonic_clock.h"

namespace tarvelin {

namespace {

constexpr size_t kBytesPerEntry = 11392;

struct Entry {
  std::string users_path;
  FileStamp stamp;
  CachedAccount account;
};
using Cache = ExpireHashCollection<Entry>;

// Null while the cache is off.
std::unique_ptr<Cache>& TheCache() {
  static auto* const cache = new std::unique_ptr<Cache>;
  return *cache;
}

std::string KeyOf(std::string_view local_part, std::string_view domain) {
  return ToLower(local_part) + "@" + ToLower(domain);
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

void SetUpAccountCache(const ServerConfig& record) {
  ScopedLock lock(LockId::kCaches);
  if (record.Byte(offsets::kCachesOff) != 0) {
    TheCache().reset();
  } else {
    // File storage judges freshness by the file stamp alone: no maximum age.
    TheCache() = std::make_unique<Cache>(AccountCacheCapacity(record), 0);
  }
}

bool AccountCacheOn() {
  ScopedLock lock(LockId::kCaches);
  return TheCache() != nullptr;
}

bool AccountCacheGet(std::string_view local_part, std::string_view domain,
                     std::string_view users_path, const FileStamp& current,
                     CachedAccount* account) {
  ScopedLock lock(LockId::kCaches);
  if (TheCache() == nullptr) return false;
  const std::string key = KeyOf(local_part, domain);
  const Entry* entry = TheCache()->Find(key);
  if (entry == nullptr) return false;
  if (entry->users_path != users_path || !(entry->stamp == current)) {
    TheCache()->Remove(key);
    return false;
  }
  *account = TheCache()->Use(key, MonotonicSeconds())->account;
  return true;
}

void AccountCachePut(std::string_view local_part, std::string_view domain,
                     std::string_view users_path, const FileStamp& stamp,
                     const CachedAccount& account) {
  ScopedLock lock(LockId::kCaches);
  if (TheCache() == nullptr) return;
  TheCache()->Put(KeyOf(local_part, domain), Entry{std::string(users_path), stamp, account},
                  MonotonicSeconds());
}

size_t AccountCacheSize() {
  ScopedLock lock(LockId::kCaches);
  return TheCache() != nullptr ? TheCache()->Count() : 0;
}

}  // namespace tarvelin
