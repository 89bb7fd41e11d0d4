#include <gtest/gtest.h>

#include <string>

#include "core/accounts/account_installation.h"
#include "schema/user_record.h"
#include "api/c/domain_operations.h"
#include "core/ops/domain_rename_delete.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;

constexpr int kMemberFile = 774;
constexpr uint8_t kGroup = 7;

class DomainRenameDeleteTest : public testing::AccountInstallation {
 protected:
  DomainRenameDeleteTest() {
    UserRecord group = MakeRecord("staff", "", kGroup);
    testing::SetText(group, kMemberFile, 255, "staff.txt");
    PutUsers("other.org", {group});
    PutUsers("example.org", {MakeRecord("john", "pw")});
    dir_.Write("config/staff.txt", "a@example.org\r\n[b@Example.org];Bee\r\nc@other.org\r\n");
    dir_.Write("mail/example.org/john/1.tmp", "message");
  }
  std::string Members() const { return dir_.Read("config/staff.txt"); }
  bool Has(const std::string& line) const {
    return Members().find(line + "\r\n") != std::string::npos;
  }
};

TEST_F(DomainRenameDeleteTest, RenameMovesEntryFolderBindingAndMembers) {
  ASSERT_TRUE(context_.domains().SetBinding(0, "192.0.2.1"));
  EXPECT_TRUE(RenameDomain(context_, "Example.ORG", "New.org").ok());
  EXPECT_EQ(context_.domains().NameAt(0), "new.org");
  EXPECT_EQ(context_.domains().FindPosition("example.org", /*strict=*/true), -1);
  EXPECT_TRUE(dir_.Exists("config/new.org/users.cfg"));
  EXPECT_FALSE(dir_.Exists("config/example.org"));
  EXPECT_EQ(context_.domains().GetBinding(0), "192.0.2.1");
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp")) << "the mail folder stays";
  EXPECT_TRUE(Has("a@new.org;")) << Members();
  EXPECT_TRUE(Has("[b@new.org];Bee")) << Members();
  EXPECT_TRUE(Has("c@other.org")) << Members();
  EXPECT_NE(dir_.Read("config/domains.cfg").find("new.org"), std::string::npos) << "saved";
}

TEST_F(DomainRenameDeleteTest, RenameRefusesBadArguments) {
  const char* same = "example.org";
  const struct {
    const char* old_name;
    const char* new_name;
    int32_t result;
  } cases[] = {
      {nullptr, "x.org", -3},          {"example.org", nullptr, -3},     {same, same, -3},
      {"example.org", "bad name", -1}, {"example.org", "", -1},          {"example.org", "..", -1},
      {"nowhere.org", "x.org", -1},    {"example.org", "Other.org", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(capi::RenameDomain(context_, c.old_name, c.new_name), c.result)
        << (c.old_name ? c.old_name : "null") << " -> " << (c.new_name ? c.new_name : "null");
  }
  EXPECT_EQ(RenameDomain(context_, "example.org", "bad name").code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(RenameDomain(context_, "nowhere.org", "x.org").code(), StatusCode::kNotFound);
  EXPECT_EQ(RenameDomain(context_, "example.org", "Other.org").code(),
            StatusCode::kAlreadyExists);
  EXPECT_EQ(context_.domains().NameAt(0), "example.org");
  EXPECT_TRUE(dir_.Exists("config/example.org/users.cfg"));
}

TEST_F(DomainRenameDeleteTest, DeleteRemovesFoldersMembersAndEntry) {
  EXPECT_EQ(capi::DeleteDomain(context_, 2), -3);
  EXPECT_EQ(capi::DeleteDomain(context_, -1), -3);
  EXPECT_EQ(DeleteDomain(context_, 2).code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(capi::DeleteDomain(context_, 0), 0);
  EXPECT_FALSE(dir_.Exists("mail/example.org"));
  EXPECT_FALSE(dir_.Exists("config/example.org"));
  EXPECT_EQ(Members(), "c@other.org\r\n");
  EXPECT_EQ(context_.domains().Count(), 1);
  EXPECT_EQ(context_.domains().NameAt(0), "other.org");
  EXPECT_TRUE(dir_.Exists("mail")) << "the mail root stays";
}

TEST_F(DomainRenameDeleteTest, DeleteNeverTakesMoreThanTheDomainsOwnFolders) {
  // A mail root that is the installation folder: the domain "config" would
  // name the configuration folder as its mail folder.
  context_.config.record.SetText(offsets::kMailRoot, dir_.path());
  SetDomains({"config", ".."});
  dir_.Write("config/config/users.cfg", "");
  EXPECT_TRUE(DeleteDomain(context_, 0).ok());
  EXPECT_TRUE(dir_.Exists("config/staff.txt")) << "the configuration folder stays";
  EXPECT_FALSE(dir_.Exists("config/config")) << "its own configuration folder goes";
  EXPECT_TRUE(DeleteDomain(context_, 0).ok()) << "the entry \"..\"";
  EXPECT_TRUE(dir_.Exists("config/staff.txt"));
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));
  EXPECT_EQ(context_.domains().Count(), 0);
}

}  // namespace
}  // namespace tarvelin
