#include "core/accounts/groupware_push.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/accounts/engine_hooks.h"
#include "core/accounts/groupware_calls.h"

namespace tarvelin {
namespace {

using Calls = std::vector<std::string>;
using testing::MakeRecord;
using testing::SetText;

constexpr int kSharingFlag = 2469;
constexpr int kGroupwareCallsOff = 162;

TEST(PercentEncode, KeepsOnlyTheUnreservedCharacters) {
  EXPECT_EQ(PercentEncode("Az09-./_"), "Az09-./_");
  EXPECT_EQ(PercentEncode("a b&c=d%"), "a%20b%26c%3Dd%25");
  EXPECT_EQ(PercentEncode(std::string("\xe9\x01", 2)), "%E9%01");
  EXPECT_EQ(PercentEncode("x@y.org"), "x%40y.org");
}

TEST(AnswerValue, FindsANamedValue) {
  EXPECT_EQ(AnswerValue("GRP_TITLE=x&GRP_ID=42&", "GRP_ID"), "42");
  EXPECT_EQ(AnswerValue("grp_id = 7\r\nOTHER=1", "GRP_ID"), "7");
  EXPECT_EQ(AnswerValue("GRP_IDX=1&", "GRP_ID"), "");
  EXPECT_EQ(AnswerValue("", "GRP_ID"), "");
}

class GroupwarePushTest : public testing::AccountInstallation {
 protected:
  GroupwarePushTest() {
    context_.config.record.SetText(offsets::kGroupwareUser, "super");
    context_.config.record.SetText(offsets::kGroupwarePassword, "secret");
    dir_.Write("config/staff.txt", "ann@example.org;Ann Lee\r\n[bob@example.org]\r\n\r\n");
    group_ = MakeRecord("Staff;team", "", 7);
    SetText(group_, 4, 254, "Our staff & friends;note");
    SetText(group_, 774, 255, "staff.txt");
    group_[kSharingFlag] = 1;
    context_.hooks().SetRoster([this](const RosterGroup& group) { roster_.push_back(group); });
  }

  UserRecord group_;
  std::vector<RosterGroup> roster_;
};

TEST_F(GroupwarePushTest, ASharedGroupIsSentWithEveryMember) {
  FakeService calendar(dir_.path() + "run/", "TarvelinCalendar");
  ASSERT_TRUE(calendar.ready());
  dir_.Write("run/TarvelinCalendar.call-GetGroupList", "GRP_ID=17&GRP_TITLE=x");
  dir_.Write("run/TarvelinCalendar.call-OpenGroup", "gs-9");
  PushGroupToGroupware(context_, group_, "example.org", false);
  EXPECT_EQ(testing::GroupwareCalls(calendar),
            (Calls{"LoginUser|super|secret|", "CreateUser|session-1|staff@example.org|",
                   "GetGroupList|session-1|staff@example.org|", "OpenGroup|session-1|17|",
                   "AddGroup|gs-9|17|GrpTitle=Our%20staff%20%26%20friends&GrpShareMode=F&"
                   "GrpGlobal=1&",
                   "DeleteGroupUsers|gs-9|17|",
                   "AddGroupUser|gs-9|17|UsrEmail=ann%40example.org&UsrFriend=Ann%20Lee&",
                   "AddGroupUser|gs-9|17|UsrEmail=%5Bbob%40example.org%5D&UsrFriend=&",
                   "LogoutUser|session-1||"}));
  ASSERT_EQ(roster_.size(), 1u);
  EXPECT_EQ(roster_[0].address, "staff@example.org");
  EXPECT_EQ(roster_[0].title, "Our staff & friends");
  EXPECT_EQ(roster_[0].members,
            (std::vector<std::string>{"ann@example.org;Ann Lee", "[bob@example.org]"}));
  EXPECT_FALSE(roster_[0].removed);
}

TEST_F(GroupwarePushTest, RemovalDeletesTheOwner) {
  FakeService calendar(dir_.path() + "run/", "TarvelinCalendar");
  ASSERT_TRUE(calendar.ready());
  SetText(group_, 4, 254, "");
  PushGroupToGroupware(context_, group_, "Example.ORG", true);
  EXPECT_EQ(testing::GroupwareCalls(calendar),
            (Calls{"LoginUser|super|secret|", "DeleteOwner|session-1|staff@example.org|",
                   "LogoutUser|session-1||"}));
  ASSERT_EQ(roster_.size(), 1u);
  EXPECT_EQ(roster_[0].title, "staff@example.org") << "no display name: the address";
  EXPECT_TRUE(roster_[0].removed);
}

TEST_F(GroupwarePushTest, FailedLoginsAndGroupSessionsStopTheCalls) {
  FakeService calendar(dir_.path() + "run/", "TarvelinCalendar");
  ASSERT_TRUE(calendar.ready());
  dir_.Write("run/TarvelinCalendar.call-OpenGroup", "");
  PushGroupToGroupware(context_, group_, "example.org", false);
  EXPECT_EQ(testing::GroupwareCalls(calendar),
            (Calls{"LoginUser|super|secret|", "CreateUser|session-1|staff@example.org|",
                   "GetGroupList|session-1|staff@example.org|", "OpenGroup|session-1||",
                   "LogoutUser|session-1||"}));

  calendar.Stop();
  FakeService again(dir_.path() + "run/", "TarvelinCalendar");
  ASSERT_TRUE(again.ready());
  context_.config.record.SetText(offsets::kGroupwareUser, "");
  PushGroupToGroupware(context_, group_, "example.org", false);
  EXPECT_EQ(testing::GroupwareCalls(again), (Calls{"LoginUser||secret|"}));
  EXPECT_EQ(roster_.size(), 2u) << "the roster hears of the group all the same";
}

TEST_F(GroupwarePushTest, UnsharedGroupsAndSwitchedOffCallsSendNothing) {
  FakeService calendar(dir_.path() + "run/", "TarvelinCalendar");
  ASSERT_TRUE(calendar.ready());
  UserRecord unshared = group_;
  unshared[kSharingFlag] = 0;
  PushGroupToGroupware(context_, unshared, "example.org", false);
  EXPECT_TRUE(roster_.empty());

  context_.config.record.SetByte(kGroupwareCallsOff, 1);
  PushGroupToGroupware(context_, group_, "example.org", true);
  EXPECT_EQ(testing::GroupwareCalls(calendar), Calls{});
  EXPECT_EQ(roster_.size(), 1u);
}

TEST_F(GroupwarePushTest, NoServiceNoHarm) {
  PushGroupToGroupware(context_, group_, "example.org", false);
  EXPECT_EQ(roster_.size(), 1u);
}

}  // namespace
}  // namespace tarvelin
