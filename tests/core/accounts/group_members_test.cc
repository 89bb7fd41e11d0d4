#include "core/accounts/group_members.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/accounts/member_file.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;
using testing::SetText;

constexpr uint8_t kGroup = 7;

MemberChange Replace(const std::string& member, const std::string& by, bool wildcards = false) {
  return MemberChange{member, by, wildcards};
}
MemberChange Remove(const std::string& member, bool wildcards = false) {
  return MemberChange{member, std::nullopt, wildcards};
}

TEST(RewriteMembers, ReplacesAndRemovesFromTheLastLine) {
  const struct {
    const char* name;
    std::string content;
    MemberChange change;
    std::string expected;
    int matched;
  } kCases[] = {
      {"rename keeps the display name", "ann@a.org;Ann\r\njohn@a.org;John;x\r\n",
       Replace("John@A.org", "jack@a.org"), "ann@a.org;Ann\r\njack@a.org;John\r\n", 1},
      {"brackets are kept", "[john@a.org];J\r\n", Replace("john@a.org", "jack@a.org"),
       "[jack@a.org];J\r\n", 1},
      {"a plain replacement ends at the last match", "john@a.org;1\r\njohn@a.org;2\r\n",
       Replace("john@a.org", "jack@a.org"), "john@a.org;1\r\njack@a.org;2\r\n", 1},
      {"a plain replacement without match is appended", "ann@a.org\n",
       Replace("john@a.org", "jack@a.org"), "ann@a.org\njack@a.org\n", 0},
      {"removal takes every match", "john@a.org\r\nann@a.org\r\n JOHN@a.org ;x\r\n",
       Remove("john@a.org"), "ann@a.org\r\n", 2},
      {"a domain moves with every member", "ann@old.org;A\r\nbob@b.org\r\n[cy@old.org];C\r\n",
       Replace("*@old.org", "*@new.org", true), "ann@new.org;A\r\nbob@b.org\r\n[cy@new.org];C\r\n",
       2},
      {"a spreading replacement without match adds nothing", "bob@b.org\r\n",
       Replace("*@old.org", "*@new.org", true), "bob@b.org\r\n", 0},
      {"a domain deletion", "ann@old.org\r\nbob@b.org\r\nann@old.orgx\r\n",
       Remove("*@old.org", true), "bob@b.org\r\nann@old.orgx\r\n", 1},
      {"question marks match one character", "a1@x.org\r\na12@x.org\r\n", Remove("a?@x.org", true),
       "a12@x.org\r\n", 1},
      {"an account's star is no wildcard", "a1@x.org\r\na*@x.org\r\n", Remove("a*@x.org"),
       "a1@x.org\r\n", 1},
      {"blank lines go", "\r\nann@a.org\r\n  \r\njohn@a.org", Remove("john@a.org"), "ann@a.org\r\n",
       1},
      {"an empty member matches nothing", "ann@a.org\r\n", Remove(""), "ann@a.org\r\n", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const MemberRewrite rewrite = RewriteMembers(c.content, c.change);
    EXPECT_EQ(rewrite.content, c.expected);
    EXPECT_EQ(rewrite.matched, c.matched);
  }
}

TEST(RewriteMembers, ThousandsOfLines) {
  std::string content;
  for (int i = 0; i < 5000; ++i) content += "user" + std::to_string(i) + "@old.org;U\r\n";
  content += "keep@other.org\r\n";
  const MemberRewrite moved = RewriteMembers(content, Replace("*@old.org", "*@new.org", true));
  EXPECT_EQ(moved.matched, 5000);
  EXPECT_EQ(moved.content.find("@old.org"), std::string::npos);
  EXPECT_EQ(moved.content.substr(0, 21), "user0@new.org;U\r\nuser");
  EXPECT_NE(moved.content.find("user4999@new.org;U\r\nkeep@other.org\r\n"), std::string::npos);

  const MemberRewrite removed = RewriteMembers(content, Remove("*@old.org", true));
  EXPECT_EQ(removed.content, "keep@other.org\r\n");
}

class GroupMembersTest : public testing::AccountInstallation {
 protected:
  UserRecord Group(const std::string& alias, const std::string& member_file) {
    UserRecord group = MakeRecord(alias, "", kGroup);
    SetText(group, 774, 255, member_file);
    return group;
  }
};

TEST_F(GroupMembersTest, GroupsContainingLooksAtEveryGroupOfEveryDomain) {
  dir_.Write("config/staff.txt", "ann@example.org\r\njohn@example.org;John\r\n");
  dir_.Write("config/other.org/team.txt", "[JOHN@example.org]\r\n");
  dir_.Write("sales.txt", "bob@example.org\r\n");
  PutUsers("example.org", {MakeRecord("john"), Group("staff", "staff.txt;x"),
                           Group("sales", dir_.path() + "sales.txt"), Group("empty", "none.txt"),
                           Group("nofile", "")});
  UserRecord list = Group("list", "staff.txt");
  list[0] = 1;  // a mailing list with the same file is no group
  PutUsers("other.org", {list, Group("team", "other.org/team.txt")});

  const std::vector<GroupRef> groups =
      GroupsContaining(context_, MemberChange{"john@example.org", std::nullopt, false});
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].domain, "example.org");
  EXPECT_EQ(PrimaryAliasOf(groups[0].record), "staff");
  EXPECT_EQ(groups[1].domain, "other.org");
  EXPECT_EQ(PrimaryAliasOf(groups[1].record), "team");

  EXPECT_EQ(GroupsContaining(context_, Remove("*@example.org", true)).size(), 3u);
}

TEST_F(GroupMembersTest, ReplaceRewritesTheFileWhole) {
  dir_.Write("config/staff.txt", "ann@example.org\r\njohn@example.org;John\r\n");
  const GroupRef staff{"example.org", Group("staff", "staff.txt")};
  EXPECT_TRUE(ReplaceGroupMember(context_, staff, Replace("john@example.org", "jack@example.org")));
  EXPECT_EQ(dir_.Read("config/staff.txt"), "ann@example.org\r\njack@example.org;John\r\n");
  EXPECT_FALSE(dir_.Exists("config/staff.txt.tmp"));

  EXPECT_TRUE(ReplaceGroupMember(context_, staff, Remove("nobody@example.org")));
  EXPECT_EQ(dir_.Read("config/staff.txt"), "ann@example.org\r\njack@example.org;John\r\n");

  const GroupRef missing{"example.org", Group("gone", "gone.txt")};
  EXPECT_TRUE(ReplaceGroupMember(context_, missing, Replace("a@b", "c@d")));
  EXPECT_FALSE(dir_.Exists("config/gone.txt")) << "a missing file is not created";

  dir_.Write("config/locked/members.txt", "john@example.org\r\n");
  const GroupRef locked{"example.org", Group("locked", "locked/members.txt")};
  ASSERT_EQ(::chmod((dir_.path() + "config/locked").c_str(), 0500), 0);
  if (::geteuid() != 0) {
    EXPECT_FALSE(ReplaceGroupMember(context_, locked, Remove("john@example.org")));
    EXPECT_EQ(dir_.Read("config/locked/members.txt"), "john@example.org\r\n");
  }
  ::chmod((dir_.path() + "config/locked").c_str(), 0700);
}

TEST_F(GroupMembersTest, ReplaceEverywhereReachesEveryGroupHoldingTheMember) {
  dir_.Write("config/a.txt", "john@example.org\r\n");
  dir_.Write("config/b.txt", "x@y.org\r\njohn@example.org;J\r\n");
  dir_.Write("config/c.txt", "x@y.org\r\n");
  PutUsers("example.org", {Group("a", "a.txt"), Group("b", "b.txt"), Group("c", "c.txt")});
  ReplaceMemberEverywhere(context_, Remove("john@example.org"));
  EXPECT_EQ(dir_.Read("config/a.txt"), "");
  EXPECT_EQ(dir_.Read("config/b.txt"), "x@y.org\r\n");
  EXPECT_EQ(dir_.Read("config/c.txt"), "x@y.org\r\n");
}

}  // namespace
}  // namespace tarvelin
