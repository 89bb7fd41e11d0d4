#include "store/file/domain_cache.h"

#include <gtest/gtest.h>

#include "schema/config_offsets.h"
#include "schema/server_config.h"

namespace tarvelin {
namespace {

DomainRecord RecordOf(uint8_t fill) {
  DomainRecord record;
  record.fill(fill);
  return record;
}

FileStamp Stamp(int64_t mtime_ns, int64_t size, uint64_t inode) {
  return FileStamp{true, mtime_ns, size, inode};
}

TEST(DomainCache, FileModeServesOnlyTheVersionItRead) {
  LockTable locks;
  DomainCache cache(locks);
  cache.SetUp(true, 0, 0);
  const FileStamp read = Stamp(1'700'000'000'000'000'000, 1169, 7);
  cache.Put("a.example", RecordOf(1), read, 0);

  DomainRecord record;
  ASSERT_TRUE(cache.Get("a.example", read, 1000, &record)) << "no age limit in file mode";
  EXPECT_EQ(record, RecordOf(1));

  struct Case {
    const char* what;
    FileStamp current;
  };
  const Case cases[] = {
      {"rewritten within the same second", Stamp(read.mtime_ns + 1, 1169, 7)},
      {"replaced by rename, same time and size", Stamp(read.mtime_ns, 1169, 8)},
      {"other size", Stamp(read.mtime_ns, 100, 7)},
      {"removed", FileStamp{}},
  };
  for (const Case& c : cases) {
    cache.Put("a.example", RecordOf(1), read, 0);
    EXPECT_FALSE(cache.Get("a.example", c.current, 1, &record)) << c.what;
    EXPECT_EQ(cache.Count(), 0u) << c.what << ": the stale entry is dropped";
  }
}

TEST(DomainCache, DatabaseModeAlsoLimitsTheAgeSinceTheLastUse) {
  LockTable locks;
  DomainCache cache(locks);
  cache.SetUp(true, 0, kDomainCacheDatabaseMaxAge);
  const FileStamp stamp = Stamp(5, 1169, 1);
  cache.Put("a.example", RecordOf(2), stamp, 100);
  DomainRecord record;
  EXPECT_TRUE(cache.Get("a.example", stamp, 130, &record)) << "30 seconds: still fresh";
  EXPECT_TRUE(cache.Get("a.example", stamp, 160, &record)) << "the use at 130 renewed it";
  EXPECT_FALSE(cache.Get("a.example", stamp, 191, &record));
  EXPECT_EQ(cache.Count(), 0u);
}

TEST(DomainCache, FullCacheEvictsTheEntryUsedLongestAgo) {
  LockTable locks;
  DomainCache cache(locks);
  cache.SetUp(true, 2, 0);
  const FileStamp stamp = Stamp(5, 1169, 1);
  cache.Put("a", RecordOf(1), stamp, 1);
  cache.Put("b", RecordOf(2), stamp, 2);
  DomainRecord record;
  ASSERT_TRUE(cache.Get("a", stamp, 3, &record));
  cache.Put("c", RecordOf(3), stamp, 4);
  EXPECT_EQ(cache.Count(), 2u);
  EXPECT_FALSE(cache.Get("b", stamp, 5, &record));
  EXPECT_TRUE(cache.Get("a", stamp, 5, &record));
  EXPECT_TRUE(cache.Get("c", stamp, 5, &record));
}

TEST(DomainCache, SwitchedOffHoldsNothing) {
  LockTable locks;
  DomainCache cache(locks);
  EXPECT_FALSE(cache.on()) << "off until set up";
  cache.SetUp(false, 10, 0);
  const FileStamp stamp = Stamp(5, 1169, 1);
  cache.Put("a", RecordOf(1), stamp, 1);
  DomainRecord record;
  EXPECT_FALSE(cache.Get("a", stamp, 1, &record));
  EXPECT_EQ(cache.Count(), 0u);
}

TEST(DomainCache, SetUpFromTheConfiguration) {
  ServerConfig config;
  config.SetNumber(offsets::kDomainCacheEntries, 4, 1);
  LockTable locks;
  DomainCache cache(locks);
  cache.SetUp(config);
  ASSERT_TRUE(cache.on());
  const FileStamp stamp = Stamp(5, 1169, 1);
  cache.Put("a", RecordOf(1), stamp, 0);
  cache.Put("b", RecordOf(2), stamp, 1);
  EXPECT_EQ(cache.Count(), 1u) << "capacity from setting 425";
  DomainRecord record;
  EXPECT_TRUE(cache.Get("b", stamp, 1000, &record)) << "file mode: no age limit";

  config.SetByte(offsets::kStorageMode, 2);
  cache.SetUp(config);
  EXPECT_EQ(cache.Count(), 0u) << "set up afresh";
  cache.Put("b", RecordOf(2), stamp, 0);
  EXPECT_FALSE(cache.Get("b", stamp, 31, &record)) << "database mode: 30 seconds";

  config.SetByte(offsets::kCachesOff, 1);
  cache.SetUp(config);
  EXPECT_FALSE(cache.on()) << "setting 420 switches it off";
}

}  // namespace
}  // namespace tarvelin
