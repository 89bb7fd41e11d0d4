#include "store/file/alias_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix_env.h"
#include "support/users_file_builder.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;

const GroupFileReader kNoGroups = [](const std::string&, std::string*) { return false; };

class AliasIndexTest : public ::testing::Test {
 protected:
  std::unique_ptr<AliasIndex> BuildFrom(const std::string& bytes) {
    dir_.Write("users.cfg", bytes);
    file_ = std::make_unique<StampedFile>();
    EXPECT_TRUE(file_->OpenFile(env_, dir_.path() + "users.cfg").ok());
    return AliasIndex::Build(*file_);
  }

  testing::TempDir dir_;
  PosixEnv env_;
  std::unique_ptr<StampedFile> file_;
};

TEST_F(AliasIndexTest, FirstPositionOfEachAliasWins) {
  const auto index = BuildFrom(
      FileOf({MakeRecord("a;B"), MakeRecord(" b ;c"), MakeRecord("C;d"), MakeRecord("")}) +
      "partial");
  EXPECT_TRUE(index->complete());
  EXPECT_EQ(index->record_count(), 4);
  EXPECT_EQ(index->stamp(), file_->stamp());
  const struct {
    const char* items;
    int position;
  } cases[] = {{"a", 0},   {"b", 0},     {"c", 1},  {"d", 2},
               {"d;c", 1}, {"D ; x", 2}, {"x", -1}, {"", -1}};
  for (const auto& c : cases)
    EXPECT_EQ(index->FindFirst(c.items, kNoGroups), c.position) << c.items;
}

TEST_F(AliasIndexTest, ManyAliasesSurviveTheTableGrowing) {
  std::vector<UserRecord> records;
  for (int i = 0; i < 3000; ++i) {
    records.push_back(MakeRecord("user" + std::to_string(i) + ";alt" + std::to_string(i % 1000)));
  }
  const auto index = BuildFrom(FileOf(records));
  for (int i = 0; i < 3000; i += 7) {
    EXPECT_EQ(index->FindFirst("USER" + std::to_string(i), kNoGroups), i);
    EXPECT_EQ(index->FindFirst("alt" + std::to_string(i % 1000), kNoGroups), i % 1000);
  }
  EXPECT_EQ(index->FindFirst("user3000", kNoGroups), -1);
  // Stored alias texts plus a few bytes per alias: well under 64 per account.
  EXPECT_LT(index->MemoryBytes() - index->AliasTextBytes(), 3000u * 64);
}

TEST_F(AliasIndexTest, GroupPositionsAreTestedOnlyBeforeThePlainHit) {
  int group_tests = 0;
  const GroupFileReader groups = [&](const std::string& name, std::string* content) {
    if (name != "groups.dat") return false;
    ++group_tests;
    *content = "team\nbob\n";
    return true;
  };
  const auto index = BuildFrom(FileOf(
      {MakeRecord("alice"), MakeRecord("[team]"), MakeRecord("bob"), MakeRecord("x;[Team]")}));
  EXPECT_EQ(index->FindFirst("bob", groups), 1);
  EXPECT_EQ(index->FindFirst("alice", groups), 0);
  EXPECT_EQ(group_tests, 1) << "position 1 comes after alice's plain hit";
  EXPECT_EQ(index->FindFirst("[TEAM]", groups), 1) << "a group item also compares as text";
  EXPECT_EQ(index->FindFirst("x", groups), 3);
}

TEST_F(AliasIndexTest, FileCutShortWhileReadingGivesAnIncompleteIndex) {
  std::vector<UserRecord> records;
  for (int i = 0; i < 600; ++i) records.push_back(MakeRecord("u" + std::to_string(i)));
  dir_.Write("users.cfg", FileOf(records));
  StampedFile file;
  ASSERT_TRUE(file.OpenFile(env_, dir_.path() + "users.cfg").ok());
  std::filesystem::resize_file(dir_.path() + "users.cfg", 300 * kUserRecordSize + 5);
  const auto index = AliasIndex::Build(file);
  EXPECT_FALSE(index->complete());
  EXPECT_EQ(index->record_count(), 300);
  EXPECT_EQ(index->FindFirst("u299", kNoGroups), 299);
  EXPECT_EQ(index->FindFirst("u300", kNoGroups), -1);
}

}  // namespace
}  // namespace tarvelin
