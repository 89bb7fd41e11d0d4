#include "foundation/list_match.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tarvelin {
namespace {

TEST(ListMatchTest, PlainLists) {
  const struct {
    const char* items;
    const char* list;
    bool matches;
  } cases[] = {
      {"john", "John", true},     {"  JOHN ", "john", true},   {"john", " Mary ; JOHN ;x", true},
      {"a;b", "c;B", true},       {"a;b", "c;d", false},       {"john", "johnny", false},
      {"", "john", false},        {"john", "", false},         {"  ", " ; ", false},
      {";", "a;", false},         {"a b", "a b", true},  // whole texts, inner blank kept
      {"a b", "x; a b ;y", true}, {"jo", "john;jo hn", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ListMatch(c.items, c.list), c.matches) << c.items << " / " << c.list;
  }
}

TEST(ListMatchTest, ListItemsAndGroupItems) {
  EXPECT_EQ(ListItems(" A ;;\tb;[Sales] ;"), (std::vector<std::string>{"a", "b", "[sales]"}));
  EXPECT_EQ(ListItems(""), std::vector<std::string>{});
  EXPECT_TRUE(IsGroupItem("[sales]"));
  EXPECT_TRUE(IsGroupItem("[S]"));
  EXPECT_FALSE(IsGroupItem("[1.2.3.4]"));  // an address literal
  EXPECT_FALSE(IsGroupItem("[]"));
  EXPECT_FALSE(IsGroupItem("[ sales]"));
  EXPECT_FALSE(IsGroupItem("sales]"));
}

// groups.dat and member files held in memory, counting the reads.
class GroupMatchTest : public ::testing::Test {
 protected:
  GroupFileReader Reader() {
    return [this](const std::string& name, std::string* content) {
      ++reads_[name];
      const auto found = files_.find(name);
      if (found == files_.end()) return false;
      *content = found->second;
      return true;
    };
  }
  bool Match(const char* items, const char* list) { return ListMatch(items, list, Reader()); }

  std::map<std::string, std::string> files_;
  std::map<std::string, int> reads_;
};

TEST_F(GroupMatchTest, MemberForms) {
  files_["groups.dat"] =
      "Sales\r\n"
      "  bob  \n"
      "info*\n"
      "*@partner.example\n"
      "10.1.2.*\n"
      "192.168.0.0/16\n"
      "[Support]\n"
      "members.txt\n"
      "/abs/more.txt\n"
      "\n"
      "support\n"
      "helpdesk\n"
      "\n"
      "other\n"
      "carol\n";
  files_["members.txt"] = "dave\n\n  erin \n";
  files_["/abs/more.txt"] = "frank\n";
  const struct {
    const char* items;
    bool matches;
  } cases[] = {
      {"bob", true},
      {"BOB", true},
      {"bob@anywhere.example", true},  // a pattern without "@" meets the local part
      {"information", true},
      {"x@partner.example", true},
      {"x@other.example", false},
      {"10.1.2.77", true},
      {"10.1.3.77", false},
      {"192.168.200.1", true},
      {"192.169.0.1", false},
      {"helpdesk", true},  // nested group
      {"dave", true},      // member file
      {"erin", true},      // blank lines inside a member file are skipped
      {"frank", true},     // absolute member file
      {"carol", false},    // a member of another group
      {"other", false},    // a group name is no member
      {"members.txt", false},
      {"nobody;bob", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Match(c.items, "alice;[sales]"), c.matches) << c.items;
  }
  EXPECT_TRUE(Match("bob", "[SALES]")) << "a lone group item without \";\"";
  EXPECT_TRUE(IsGroupMember(" Dave ", "sales", Reader()));
  EXPECT_FALSE(IsGroupMember("dave", "support", Reader()));
}

TEST_F(GroupMatchTest, GroupsAreReadAtEachTest) {
  files_["groups.dat"] = "team\nbob\n";
  EXPECT_TRUE(Match("bob", "[team]"));
  files_["groups.dat"] = "team\nmary\n";
  EXPECT_FALSE(Match("bob", "[team]"));
  EXPECT_TRUE(Match("mary", "[team]"));
  files_.erase("groups.dat");
  EXPECT_FALSE(Match("mary", "[team]"));
  EXPECT_TRUE(Match("[team]", "[team]")) << "the item itself still compares as text";
}

TEST_F(GroupMatchTest, NoGroupFileReadWithoutGroupItems) {
  EXPECT_FALSE(Match("bob", "alice;[1.2.3.4]"));
  EXPECT_EQ(reads_.count("groups.dat"), 0u);
}

TEST_F(GroupMatchTest, MissingMemberFileIsNoMember) {
  files_["groups.dat"] = "team\nabsent.txt\nbob\n";
  EXPECT_FALSE(Match("carol", "[team]"));
  EXPECT_TRUE(Match("bob", "[team]"));
}

TEST_F(GroupMatchTest, GroupsNamingEachOtherEnd) {
  files_["groups.dat"] = "a\n[b]\n\nb\n[a]\n[b]\nloop.txt\n\nc\n[c]\n";
  files_["loop.txt"] = "loop.txt\n[a]\n";
  EXPECT_FALSE(Match("bob", "[a]"));
  EXPECT_FALSE(Match("bob", "[c]"));
  files_["loop.txt"] = "loop.txt\n[a]\nbob\n";
  EXPECT_TRUE(Match("bob", "[a]"));
  EXPECT_LE(reads_["loop.txt"], 4) << "each file is entered once per test";
}

TEST_F(GroupMatchTest, OnlyTheLineAfterAnEmptyLineNamesAGroup) {
  files_["groups.dat"] = "staff\nteam\nbob\n\n   \nteam\ncarol\n";
  EXPECT_TRUE(Match("carol", "[team]"));
  EXPECT_FALSE(Match("bob", "[team]")) << "\"team\" inside staff is a member line";
  EXPECT_TRUE(Match("team", "[staff]"));
}

}  // namespace
}  // namespace tarvelin
