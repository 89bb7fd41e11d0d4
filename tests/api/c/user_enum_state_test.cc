#include "api/c/user_enum_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/file/users_file.h"
#include "support/users_file_builder.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "support/property_file.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;
using testing::PasswordOf;

UserRecord RecordIn(const UserEnumState& state) {
  UserRecord record;
  std::copy_n(state.begin() + walk_offsets::kRecord, kUserRecordSize, record.begin());
  return record;
}

class UserWalkTest : public ::testing::Test {
 protected:
  UserWalkTest() {
    context_.api.initialised = true;
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    dir_.Write("apiconst.pas", testing::ShippedPropertyFile());
    dir_.Write("config/example.org/users.cfg",
               FileOf({MakeRecord("john", "~#1OAj/"), MakeRecord("news", "", 1), MakeRecord("mary"),
                       MakeRecord("team", "", 7)}) +
                   "partial");
  }

  // Positions and first aliases the walk delivers, ended properly.
  std::vector<std::pair<int, std::string>> Walk(const std::string& query) {
    std::vector<std::pair<int, std::string>> seen;
    UserEnumState state;
    if (!StartUserWalk(context_, "example.org", query, 0, &state)) return seen;
    while (AdvanceUserWalk(context_, &state))
      seen.emplace_back(WalkIndex(state), PrimaryAliasOf(RecordIn(state)));
    EndUserWalk(context_, &state);
    return seen;
  }

  testing::TempDir dir_;
  Context context_;
};

TEST_F(UserWalkTest, StateLayout) {
  UserEnumState state;
  state.fill(0xEE);
  ASSERT_TRUE(StartUserWalk(context_, "example.org", "U_Type = 0", 1, &state));
  EXPECT_EQ(state[walk_offsets::kOpen], 1);
  EXPECT_EQ(WalkIndex(state), -1);
  EXPECT_EQ(WalkCount(state), 4) << "the partial record is not counted";
  EXPECT_EQ(GetPString(state.data() + 3196, 95), "example.org");
  EXPECT_EQ(state[3292], 1);
  EXPECT_EQ(GetPString(state.data() + 3293, 255), "U_Type = 0");
  EXPECT_EQ(state[0], 0) << "zero-filled first";
  EXPECT_EQ(state[3549], 0);
  ASSERT_TRUE(AdvanceUserWalk(context_, &state));
  EXPECT_EQ(WalkIndex(state), 0);
  EXPECT_EQ(PasswordOf(RecordIn(state)), "abc") << "the password comes deciphered";
  EndUserWalk(context_, &state);
  EXPECT_EQ(state[walk_offsets::kOpen], 0);
  EXPECT_FALSE(AdvanceUserWalk(context_, &state));
  EndUserWalk(context_, &state);  // harmless again
}

TEST_F(UserWalkTest, DeliversEveryRecordInFileOrder) {
  using Seen = std::vector<std::pair<int, std::string>>;
  EXPECT_EQ(Walk(""), (Seen{{0, "john"}, {1, "news"}, {2, "mary"}, {3, "team"}}));
  EXPECT_EQ(Walk("U_Type = 1"), (Seen{{1, "news"}}));
  EXPECT_EQ(Walk("(u_type <> 1) and (u_type <> '0')"), (Seen{{3, "team"}}));
  EXPECT_EQ(Walk("U_Alias like '%a%'"), (Seen{{2, "mary"}, {3, "team"}}));
  EXPECT_EQ(Walk("anything"), Seen{}) << "an unknown identifier holds for no record";
  EXPECT_EQ(Walk("").size(), 4u) << "an empty query is no condition";
}

TEST_F(UserWalkTest, LongFilesAreReadInOrder) {
  std::vector<UserRecord> records;
  for (int i = 0; i < 70; ++i) {
    records.push_back(MakeRecord("user" + std::to_string(i), "", i % 3 == 0 ? 1 : 0));
  }
  dir_.Write("config/example.org/users.cfg", FileOf(records));
  const auto all = Walk("");
  ASSERT_EQ(all.size(), 70u);
  for (int i = 0; i < 70; ++i) EXPECT_EQ(all[i], std::make_pair(i, "user" + std::to_string(i)));
  const auto lists = Walk("U_Type = 1");
  ASSERT_EQ(lists.size(), 24u);
  EXPECT_EQ(lists[23], std::make_pair(69, std::string("user69")));
}

TEST_F(UserWalkTest, WalkReadsTheVersionItStartedOn) {
  UserEnumState state;
  ASSERT_TRUE(StartUserWalk(context_, "example.org", "", 0, &state));
  ASSERT_TRUE(AdvanceUserWalk(context_, &state));
  UserRecord removed;
  ASSERT_TRUE(RemoveUserAt(context_.env(), dir_.path() + "config/example.org/", 1, &removed).ok());
  ASSERT_TRUE(AdvanceUserWalk(context_, &state));
  EXPECT_EQ(PrimaryAliasOf(RecordIn(state)), "news");
  int count = 2;
  while (AdvanceUserWalk(context_, &state)) ++count;
  EXPECT_EQ(count, 4);
  EndUserWalk(context_, &state);
}

TEST_F(UserWalkTest, NoFileNoWalk) {
  UserEnumState state;
  EXPECT_FALSE(StartUserWalk(context_, "missing.org", "", 0, &state));
  EXPECT_EQ(state[walk_offsets::kOpen], 0);
  EXPECT_FALSE(AdvanceUserWalk(context_, &state));
  EXPECT_FALSE(StartUserWalk(context_, "../config/example.org", "", 0, &state));
}

}  // namespace
}  // namespace tarvelin
