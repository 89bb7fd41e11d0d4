#include "store/db/db_account_cache.h"

#include "foundation/text.h"
#include "schema/config_offsets.h"
#include "schema/server_config.h"
#include "store/file/account_cache.h"

namespace tarvelin {

namespace {

std::string KeyOf(std::string_view local_part, std::string_view domain) {
  return ToLower(Trim(local_part)) + "@" + ToLower(domain);
}

}  // namespace

void DbAccountCache::SetUp(const ServerConfig& record) {
  ScopedLock lock(locks_, LockId::kCaches);
  entries_.reset();
  if (record.Byte(offsets::kCachesOff) != 0) return;
  entries_ = std::make_unique<ExpireHashCollection<DbCachedAccount>>(AccountCacheCapacity(record),
                                                                     kDatabaseAccountCacheMaxAge);
}

bool DbAccountCache::Fresh(std::string_view key, int64_t now) const {
  const int64_t stamp = entries_->StampOf(key);
  return stamp >= 0 && stamp >= now - kDatabaseAccountCacheMaxAge;
}

bool DbAccountCache::Get(std::string_view local_part, std::string_view domain,
                         DbCachedAccount* account) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (entries_ == nullptr) return false;
  const std::string key = KeyOf(local_part, domain);
  const int64_t now = env_.NowMonotonicSeconds();
  if (!Fresh(key, now)) {
    entries_->Remove(key);
    return false;
  }
  *account = *entries_->Use(key, now);
  return true;
}

void DbAccountCache::Put(std::string_view local_part, const DbCachedAccount& account) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (entries_ == nullptr) return;
  entries_->Put(KeyOf(local_part, account.domain), account, env_.NowMonotonicSeconds());
}

std::vector<std::pair<std::string, DbCachedAccount>> DbAccountCache::Candidates(
    const LoginName& login, const GroupFileReader& groups) {
  ScopedLock lock(locks_, LockId::kCaches);
  std::vector<std::pair<std::string, DbCachedAccount>> found;
  if (entries_ == nullptr) return found;
  const int64_t now = env_.NowMonotonicSeconds();
  entries_->ForEach([&](std::string_view key, const DbCachedAccount& account) {
    if (Fresh(key, now) && LoginNameMatches(login, account.record, account.domain, groups)) {
      found.emplace_back(std::string(key), account);
    }
  });
  return found;
}

void DbAccountCache::ForgetDomain(std::string_view domain) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (entries_ == nullptr) return;
  const std::string lower = ToLower(domain);
  std::vector<std::string> keys;
  entries_->ForEach([&](std::string_view key, const DbCachedAccount& account) {
    if (ToLower(account.domain) == lower) keys.emplace_back(key);
  });
  for (const std::string& key : keys) entries_->Remove(key);
}

bool DbAccountCache::Confirm(std::string_view key) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (entries_ == nullptr) return false;
  const int64_t now = env_.NowMonotonicSeconds();
  if (!Fresh(key, now)) {
    entries_->Remove(key);
    return false;
  }
  entries_->Use(key, now);
  return true;
}

}  // namespace tarvelin
