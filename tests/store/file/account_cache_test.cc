#include "store/file/account_cache.h"

#include <gtest/gtest.h>

#include "platform/posix_env.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "config/config_state.h"
#include "core/config/configuration.h"
#include "core/context.h"
#include "support/store_probe.h"
#include "schema/server_config.h"
#include "config/api_state.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;

TEST(AccountCacheTest, CapacityFromTheSettings) {
  const struct {
    uint32_t entries;    // variable 424
    uint32_t megabytes;  // variable 228
    uint8_t storage_mode;
    size_t capacity;
  } cases[] = {
      {64, 0, 0, 64},      {64, 10, 0, 920},  // 10 x 1048576 / 11392
      {5000, 10, 0, 5000}, {64, 10, 1, 64},   // the memory rule is for storage mode 0 only
      {64, 10, 2, 64},     {0, 1, 0, 92},
  };
  for (const auto& c : cases) {
    ServerConfig record;
    record.SetNumber(offsets::kAccountCacheEntries, 4, c.entries);
    record.SetNumber(offsets::kAccountCacheMegabytes, 4, c.megabytes);
    record.SetByte(offsets::kStorageMode, c.storage_mode);
    EXPECT_EQ(AccountCacheCapacity(record), c.capacity) << c.entries << " " << c.megabytes;
  }
}

class AccountCacheEntriesTest : public ::testing::Test {
 protected:
  AccountCacheEntriesTest() : cache_(env_, locks_) {
    ServerConfig record;
    record.SetNumber(offsets::kAccountCacheEntries, 4, 2);
    record.SetNumber(offsets::kAccountCacheMegabytes, 4, 0);
    cache_.SetUp(record);
    stamp_ = FileStamp{true, 1000, 2848, 7};
  }
  void Put(const char* local, const char* aliases) {
    cache_.Put(local, "Example.org", kPath, stamp_, CachedAccount{MakeRecord(aliases), 3});
  }
  bool Get(const char* local, const FileStamp& stamp, const char* path = kPath) {
    return cache_.Get(local, "example.ORG", path, stamp, &got_);
  }

  PosixEnv env_;
  LockTable locks_;
  AccountCache cache_;

  static constexpr const char* kPath = "/cfg/example.org/users.cfg";
  FileStamp stamp_;
  CachedAccount got_;
};

TEST_F(AccountCacheEntriesTest, FreshEntriesOnlyByKeyWithoutRegardToCase) {
  Put("John", "john");
  EXPECT_TRUE(Get("JOHN", stamp_));
  EXPECT_EQ(AliasListOf(got_.record), "john");
  EXPECT_EQ(got_.position, 3);
  EXPECT_FALSE(Get("mary", stamp_));
  EXPECT_FALSE(Get("john", stamp_, "/other/example.org/users.cfg")) << "another installation";
  EXPECT_EQ(cache_.Size(), 0u) << "a stale entry is dropped";
}

TEST_F(AccountCacheEntriesTest, AnyChangeOfTheStampMakesEntriesStale) {
  const FileStamp changed[] = {
      {true, 1001, 2848, 7},  // written again, a nanosecond later
      {true, 1000, 5696, 7},  // grown
      {true, 1000, 2848, 8},  // replaced by rename
      {false, 0, 0, 0},       // removed
  };
  for (const FileStamp& stamp : changed) {
    Put("john", "john");
    EXPECT_FALSE(Get("john", stamp));
    EXPECT_FALSE(Get("john", stamp_));
  }
}

TEST_F(AccountCacheEntriesTest, FullCacheEvictsTheEntryUsedLongestAgo) {
  Put("a", "a");
  Put("b", "b");
  EXPECT_TRUE(Get("a", stamp_));
  Put("c", "c");
  EXPECT_EQ(cache_.Size(), 2u);
  EXPECT_FALSE(Get("b", stamp_));
  EXPECT_TRUE(Get("a", stamp_));
  EXPECT_TRUE(Get("c", stamp_));
  Put("c", "c2");  // replacing adds nothing
  EXPECT_EQ(cache_.Size(), 2u);
  EXPECT_TRUE(Get("c", stamp_));
  EXPECT_EQ(AliasListOf(got_.record), "c2");
}

// The configuration load sets the cache up, with the defaults it applies.
TEST(AccountCacheTest, ConfigurationLoadSetsTheCacheUp) {
  testing::TempDir dir;
  Context context;
  context.api.config_path = dir.path();
  LoadConfiguration(context, /*must_exist=*/false);
  EXPECT_TRUE(testing::AccountCacheOf(context).on());
  EXPECT_EQ(context.config.record.Byte(offsets::kStorageMode), 1);
  EXPECT_EQ(AccountCacheCapacity(context.config.record), 64u)
      << "variable 424 as the load defaults it";

  ServerConfig off;
  off.SetByte(offsets::kCachesOff, 1);
  dir.Write("settings.cfg", testing::SettingsFileOf(off));
  LoadConfiguration(context, false);
  EXPECT_FALSE(testing::AccountCacheOf(context).on());
}

TEST_F(AccountCacheEntriesTest, SetUpAgainStartsEmpty) {
  Put("a", "a");
  cache_.SetUp(ServerConfig());
  EXPECT_TRUE(cache_.on());
  EXPECT_EQ(cache_.Size(), 0u);
}

}  // namespace
}  // namespace tarvelin
