#include "core/accounts/mail_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/accounts/account_operations.h"
#include "core/ops/domain_rename_delete.h"
#include "log/log_kinds.h"
#include "platform/os_path.h"
#include "schema/user_record_offsets.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

using testing::MakeRecord;
using testing::MakeUser;
using testing::SetText;

// Deletes through the account operations, with the server log in
// <dir>/logs/, unbuffered.
class AccountDeleteTest : public testing::AccountInstallation {
 protected:
  AccountDeleteTest() {
    ServerConfig& record = context_.config.record;
    record.SetText(log_offsets::kLogDirectory, dir_.path() + "logs/");
    record.SetByte(log_offsets::kFileLoggingOff, 0);
    record.SetNumber(log_offsets::kBufferSize, 4, 0);
    record.SetNumber(log_offsets::kRotationSize, 4, 0);
  }
  // Every line of the server log so far.
  std::string Log() const {
    std::string text;
    if (!fs::exists(dir_.path() + "logs")) return text;
    for (const auto& file : fs::recursive_directory_iterator(dir_.path() + "logs")) {
      if (file.is_regular_file()) text += dir_.Read(fs::relative(file.path(), dir_.path()).string());
    }
    return text;
  }
  int PositionOf(const std::string& domain, const std::string& alias) {
    return PositionOfAlias(context_, domain, alias);
  }
  std::string MailboxPathAt(const std::string& domain, int position) {
    UserRecord record{};
    LoadAccountAt(context_, domain, position, &record);
    return testing::TextOf(record, user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity);
  }
};

TEST_F(AccountDeleteTest, AnAccountWithAWildcardAliasTakesOnlyItsOwnFolder) {
  for (const std::string alias : {"*", "?", "|", "/", "**", "*;john2"}) {
    SCOPED_TRACE(alias);
    PutUsers("example.org", {MakeUser("john", "john", "pw", "example.org/john/")});
    dir_.Write("mail/example.org/john/1.tmp", "john's mail");
    dir_.Write("mail/example.org/size.dat", "the domain's own file");
    const Result<int> added = AddAccount(context_, "example.org", MakeRecord(alias, "secret"), "");
    ASSERT_TRUE(added.ok()) << added.status().ToString();
    const std::string path = MailboxPathAt("example.org", *added);
    EXPECT_NE(ToOsPath(path), "example.org/") << "never the domain's folder";
    dir_.Write("mail/" + ToOsPath(path) + "1.tmp", "its own mail");

    ASSERT_TRUE(DeleteAccount(context_, "example.org", *added, "").ok());
    EXPECT_FALSE(dir_.Exists("mail/" + ToOsPath(path))) << path;
    EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));
    EXPECT_TRUE(dir_.Exists("mail/example.org/size.dat"));
  }
}

// Records written before the default path had its replacement name the
// domain's folder itself, or another account's: the record goes, the
// folder stays, and the log says why.
TEST_F(AccountDeleteTest, AFolderOfTheDomainOrOfAnotherAccountIsKept) {
  PutMailboxRoot("other.org", "example.org/hosted/");
  const struct {
    const char* what;
    std::string path;
    const char* why;
  } kCases[] = {
      {"the domain folder", "example.org//", "the domain example.org"},
      {"the domain folder without the double separator", "example.org", "the domain example.org"},
      {"above another account", "example.org/team/", "the mail of bob@example.org"},
      {"the same folder as another account", "example.org\\team\\bob\\",
       "the mail of bob@example.org"},
      {"another domain's mailbox root", "example.org/hosted", "the domain other.org"},
      {"the mail root", "./", "the mail root"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_.path() + "logs");
    PutUsers("example.org", {MakeUser("john", "john", "pw", "example.org/john/"),
                             MakeUser("victim", "victim", "pw", c.path),
                             MakeUser("bob", "bob", "pw", "example.org/team/bob/")});
    dir_.Write("mail/example.org/john/1.tmp", "x");
    dir_.Write("mail/example.org/team/bob/1.tmp", "x");
    dir_.Write("mail/example.org/hosted/ann/1.tmp", "x");
    ASSERT_TRUE(DeleteAccount(context_, "example.org", 1, "").ok());
    EXPECT_EQ(Aliases("example.org"), (std::vector<std::string>{"john", "bob"}))
        << "the record goes all the same";
    EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));
    EXPECT_TRUE(dir_.Exists("mail/example.org/team/bob/1.tmp"));
    EXPECT_TRUE(dir_.Exists("mail/example.org/hosted/ann/1.tmp"));
    EXPECT_NE(Log().find("victim@example.org: mail folder kept"), std::string::npos) << Log();
    EXPECT_NE(Log().find(c.why), std::string::npos) << Log();
  }
}

TEST_F(AccountDeleteTest, ALinkCannotLeadTheRemovalOutOfTheMailRoot) {
  dir_.Write("elsewhere/precious.txt", "x");
  dir_.Write("mail/example.org/john/1.tmp", "x");
  ASSERT_EQ(::symlink((dir_.path() + "elsewhere").c_str(),
                      (dir_.path() + "mail/example.org/link").c_str()),
            0);
  for (const std::string path : {"example.org/link/", "example.org/link/../link/"}) {
    fs::remove_all(dir_.path() + "logs");
    PutUsers("example.org", {MakeUser("john", "john", "pw", "example.org/john/"),
                             MakeUser("linked", "linked", "pw", path)});
    ASSERT_TRUE(DeleteAccount(context_, "example.org", 1, "").ok());
    EXPECT_TRUE(dir_.Exists("elsewhere/precious.txt")) << path;
    EXPECT_NE(Log().find("leads outside the mail root"), std::string::npos) << Log();
  }
  // An absolute path is the account's own choice, resolved before removal.
  PutUsers("example.org", {MakeUser("far", "far", "pw", dir_.path() + "mail/example.org/link")});
  ASSERT_TRUE(DeleteAccount(context_, "example.org", 0, "").ok());
  EXPECT_FALSE(dir_.Exists("elsewhere/precious.txt"));
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));
}

TEST_F(AccountDeleteTest, ADomainDeleteKeepsAFolderThatHoldsAnotherDomainsMail) {
  PutMailboxRoot("other.org", "example.org/hosted/");
  dir_.Write("mail/example.org/hosted/ann/1.tmp", "x");
  dir_.Write("config/example.org/users.cfg", "");
  ASSERT_TRUE(DeleteDomain(context_, 0).ok());
  EXPECT_TRUE(dir_.Exists("mail/example.org/hosted/ann/1.tmp"));
  EXPECT_FALSE(dir_.Exists("config/example.org")) << "the rest of the delete goes on";
  EXPECT_EQ(context_.domains().Count(), 1);
  EXPECT_NE(Log().find("DeleteDomain example.org: mail folder kept"), std::string::npos) << Log();
  EXPECT_NE(Log().find("the domain other.org"), std::string::npos);

  // A domain's mail folder that is a link out of the mail root.
  dir_.Write("elsewhere/precious.txt", "x");
  ASSERT_EQ(::symlink((dir_.path() + "elsewhere").c_str(),
                      (dir_.path() + "mail/other.org").c_str()),
            0);
  ASSERT_TRUE(DeleteDomain(context_, 0).ok());
  EXPECT_TRUE(dir_.Exists("elsewhere/precious.txt"));
  EXPECT_EQ(context_.domains().Count(), 0);
}

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
  EXPECT_FALSE(RemoveAccountMailFolder(context_, "example.org", UserAt("cfg/")));
  EXPECT_TRUE(dir_.Exists("config/settings.cfg"));
}

TEST_F(MailFolderRemovalTest, WithoutMailRootNothingIsRemoved) {
  dir_.Write("mail/example.org/john/1.tmp", "x");
  context_.config.record.SetText(offsets::kMailRoot, "");
  EXPECT_EQ(Target("example.org/john/"), "");
  EXPECT_FALSE(RemoveAccountMailFolder(context_, "example.org", UserAt("example.org/john/")));
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));

  context_.config.record.SetText(offsets::kMailRoot, "mail");
  EXPECT_EQ(Target("example.org/john/"), dir_.path() + "mail/example.org/john/")
      << "a relative mail root lies below the installation";
  EXPECT_TRUE(RemoveAccountMailFolder(context_, "example.org", UserAt("example.org/john/")));
  EXPECT_FALSE(dir_.Exists("mail/example.org/john"));
  EXPECT_TRUE(dir_.Exists("mail/example.org"));
}

}  // namespace
}  // namespace tarvelin
