#include "core/accounts/mail_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "core/accounts/account_installation.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;
using testing::SetText;

class MailFolderRemovalTest : public testing::AccountInstallation {
 protected:
  UserRecord UserAt(const std::string& path) {
    UserRecord user = MakeRecord("john", "pw");
    SetText(user, 1028, 127, path);
    return user;
  }
  std::string Target(const std::string& path) { return MailFolderToRemove(context_, UserAt(path)); }
};

TEST_F(MailFolderRemovalTest, OnlyAFolderOfItsOwnIsRemoved) {
  const std::string mail = dir_.path() + "mail";
  const std::string root = dir_.path().substr(0, dir_.path().size() - 1);
  const struct {
    std::string path;
    std::string expected;
  } kCases[] = {
      {"example.org\\john\\", mail + "/example.org/john/"},
      {"example.org/john", mail + "/example.org/john/"},
      {"a/../b/", mail + "/b/"},
      {dir_.path() + "elsewhere/john/", root + "/elsewhere/john/"},
      {"", ""},
      {"   ", ""},
      {".", ""},
      {"./", ""},
      {"a/..", ""},
      {"..\\", ""},
      {"../config/", ""},
      {"a/../../mail/x", ""},
      {"../../../../../../../../", ""},
      {"/", ""},
      {"//", ""},
      {mail, ""},
      {mail + "/../", ""},
      {dir_.path(), ""},
      {dir_.path() + "config", ""},
      {dir_.path() + "config/./", ""},
      {"/tmp/..", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Target(c.path), c.expected);
  }
}

TEST_F(MailFolderRemovalTest, LinksCannotHideAProtectedFolder) {
  dir_.Write("mail/keep.txt", "x");
  dir_.Write("config/settings.cfg", "x");
  ASSERT_EQ(::symlink((dir_.path() + "config").c_str(), (dir_.path() + "mail/cfg").c_str()), 0);
  ASSERT_EQ(::symlink("/", (dir_.path() + "mail/top").c_str()), 0);
  EXPECT_EQ(Target("cfg/"), "");
  EXPECT_EQ(Target("top"), "");
  EXPECT_FALSE(RemoveMailFolder(context_, UserAt("cfg/")));
  EXPECT_TRUE(dir_.Exists("config/settings.cfg"));
}

TEST_F(MailFolderRemovalTest, WithoutMailRootNothingIsRemoved) {
  dir_.Write("mail/example.org/john/1.tmp", "x");
  context_.config.record.SetText(offsets::kMailRoot, "");
  EXPECT_EQ(Target("example.org/john/"), "");
  EXPECT_FALSE(RemoveMailFolder(context_, UserAt("example.org/john/")));
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));

  context_.config.record.SetText(offsets::kMailRoot, "mail");
  EXPECT_EQ(Target("example.org/john/"), dir_.path() + "mail/example.org/john/")
      << "a relative mail root lies below the installation";
  EXPECT_TRUE(RemoveMailFolder(context_, UserAt("example.org/john/")));
  EXPECT_FALSE(dir_.Exists("mail/example.org/john"));
  EXPECT_TRUE(dir_.Exists("mail/example.org"));
}

}  // namespace
}  // namespace tarvelin
