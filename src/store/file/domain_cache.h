// The domain cache: copies of loaded DomainRecords keyed by lower-case
// domain name, each with the FileStamp of the domain.cfg version it was
// read from. An entry is served only while domain.cfg still has that stamp
// (modification time in nanoseconds, size and inode), so a rewrite by any
// program, even within the same second, makes it stale. With a maximum age
// (the database storage mode, whose records change without the file) an
// entry unused for longer is stale too. Stale entries are dropped when met.
//
// Every access runs under lock 4. The configuration load sets the cache up
// afresh; switched off, it holds nothing and every lookup misses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "schema/domain_record_layout.h"
#include "foundation/expire_hash_collection.h"
#include "platform/env.h"
#include "platform/lock_table.h"

namespace tarvelin {

class ServerConfig;

// Seconds an entry may go unused in the database storage mode.
inline constexpr int64_t kDomainCacheDatabaseMaxAge = 30;

class DomainCache {
 public:
  explicit DomainCache(LockTable& locks) : locks_(locks) {}

  // Empty; switched on with `capacity` entries (0 = unlimited) and
  // `max_age` seconds (0 = none), or off.
  void SetUp(bool on, size_t capacity, int64_t max_age);
  // From the configuration: off when setting 420 is on; capacity setting
  // 425; maximum age kDomainCacheDatabaseMaxAge in storage mode 2, else 0.
  void SetUp(const ServerConfig& record);
  bool on() const;

  // A fresh entry of `name` fills `record` and counts as used at `now`
  // (monotonic seconds); a stale one is dropped. False on a miss.
  bool Get(std::string_view name, const FileStamp& current, int64_t now, DomainRecord* record);
  // Adds or replaces the entry of `name`; nothing when off.
  void Put(std::string_view name, const DomainRecord& record, const FileStamp& stamp, int64_t now);
  // Entries held.
  size_t Count() const;

 private:
  struct Entry {
    DomainRecord record;
    FileStamp stamp;
  };
  LockTable& locks_;
  std::unique_ptr<ExpireHashCollection<Entry>> entries_;  // null when off
};

}  // namespace tarvelin
