#include "foundation/expire_hash_collection.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

using Collection = ExpireHashCollection<std::string>;

TEST(ExpireHashCollection, FullCollectionEvictsTheEntryUsedLongestAgo) {
  Collection cache(3, 0);
  cache.Put("a", "A", 1);
  cache.Put("b", "B", 2);
  cache.Put("c", "C", 3);
  ASSERT_NE(cache.Use("a", 4), nullptr);
  cache.Put("d", "D", 5);
  EXPECT_EQ(cache.Count(), 3u);
  EXPECT_EQ(cache.Find("b"), nullptr) << "b was used longest ago once a was used again";
  EXPECT_NE(cache.Find("a"), nullptr);
  EXPECT_NE(cache.Find("c"), nullptr);
  EXPECT_EQ(*cache.Find("d"), "D");
}

TEST(ExpireHashCollection, ReplacingAKeyNeitherPurgesNorGrows) {
  Collection cache(2, 10);
  cache.Put("a", "A", 0);
  cache.Put("b", "B", 1);
  cache.Put("b", "B2", 100);
  EXPECT_EQ(cache.Count(), 2u) << "a is far too old, yet no purge runs for a known key";
  EXPECT_EQ(*cache.Find("b"), "B2");
  EXPECT_EQ(cache.StampOf("b"), 100);
}

TEST(ExpireHashCollection, AddDropsEveryEntryOlderThanTheMaximumAge) {
  Collection cache(0, 30);
  cache.Put("old", "1", 0);
  cache.Put("older-use", "2", 10);
  cache.Put("limit", "3", 15);
  cache.Put("new", "4", 30);
  EXPECT_EQ(cache.Count(), 4u) << "limit 0: nothing is below it yet";
  cache.Put("added", "5", 45);
  EXPECT_EQ(cache.Find("old"), nullptr);
  EXPECT_EQ(cache.Find("older-use"), nullptr);
  EXPECT_NE(cache.Find("limit"), nullptr) << "a stamp equal to now - age is not below the limit";
  EXPECT_NE(cache.Find("new"), nullptr);
  EXPECT_EQ(cache.Count(), 3u);
}

TEST(ExpireHashCollection, AgePurgeMayDropManyButRoomIsMadeForOneOnly) {
  Collection cache(2, 5);
  cache.Put("a", "", 0);
  cache.Put("b", "", 10);
  cache.Put("c", "", 11);  // a is too old and goes; b stays
  EXPECT_EQ(cache.Find("a"), nullptr);
  EXPECT_EQ(cache.Count(), 2u);
  cache.Put("d", "", 12);  // nothing too old: b, the oldest, makes room
  EXPECT_EQ(cache.Find("b"), nullptr);
  EXPECT_NE(cache.Find("c"), nullptr);
  EXPECT_EQ(cache.Count(), 2u);
}

TEST(ExpireHashCollection, NoLimitsKeepEverything) {
  Collection cache(0, 0);
  for (int i = 0; i < 100; ++i) cache.Put(std::to_string(i), "", i * 1000);
  EXPECT_EQ(cache.Count(), 100u);
}

TEST(ExpireHashCollection, FindDoesNotCountAsAUseAndRemoveForgets) {
  Collection cache(2, 0);
  cache.Put("a", "A", 1);
  cache.Put("b", "B", 2);
  ASSERT_NE(cache.Find("a"), nullptr);
  EXPECT_EQ(cache.StampOf("a"), 1);
  cache.Put("c", "C", 3);
  EXPECT_EQ(cache.Find("a"), nullptr) << "a find leaves the order alone";

  EXPECT_TRUE(cache.Remove("b"));
  EXPECT_FALSE(cache.Remove("b"));
  EXPECT_EQ(cache.StampOf("b"), -1);
  EXPECT_EQ(cache.Use("b", 4), nullptr);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  cache.Put("x", "X", 5);
  EXPECT_EQ(*cache.Use("x", 6), "X");
}

}  // namespace
}  // namespace tarvelin
