#include "store/file/domain_cache.h"

#include "schema/config_offsets.h"
#include "schema/server_config.h"
#include "platform/lock_table.h"

namespace tarvelin {

namespace {

constexpr uint8_t kDatabaseStorage = 2;

}  // namespace

void DomainCache::SetUp(bool on, size_t capacity, int64_t max_age) {
  ScopedLock lock(locks_, LockId::kCaches);
  entries_.reset(on ? new ExpireHashCollection<Entry>(capacity, max_age) : nullptr);
}

void DomainCache::SetUp(const ServerConfig& record) {
  const bool database = record.Byte(offsets::kStorageMode) == kDatabaseStorage;
  SetUp(record.Byte(offsets::kCachesOff) == 0, record.Number(offsets::kDomainCacheEntries, 4),
        database ? kDomainCacheDatabaseMaxAge : 0);
}

bool DomainCache::on() const {
  ScopedLock lock(locks_, LockId::kCaches);
  return entries_ != nullptr;
}

bool DomainCache::Get(std::string_view name, const FileStamp& current, int64_t now,
                      DomainRecord* record) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (entries_ == nullptr) return false;
  const Entry* entry = entries_->Find(name);
  if (entry == nullptr) return false;
  const int64_t max_age = entries_->max_age();
  const bool fresh =
      entry->stamp == current && (max_age == 0 || entries_->StampOf(name) >= now - max_age);
  if (!fresh) {
    entries_->Remove(name);
    return false;
  }
  *record = entries_->Use(name, now)->record;
  return true;
}

void DomainCache::Put(std::string_view name, const DomainRecord& record, const FileStamp& stamp,
                      int64_t now) {
  ScopedLock lock(locks_, LockId::kCaches);
  if (entries_ != nullptr) entries_->Put(name, Entry{record, stamp}, now);
}

size_t DomainCache::Count() const {
  ScopedLock lock(locks_, LockId::kCaches);
  return entries_ == nullptr ? 0 : entries_->Count();
}

}  // namespace tarvelin
