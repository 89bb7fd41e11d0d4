#include "core/accounts/welcome_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "platform/file_system.h"
#include "platform/posix_env.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;
using testing::SetText;

// The files of a folder (not below it).
std::vector<DirectoryEntry> FilesIn(const std::string& folder) {
  std::vector<DirectoryEntry> entries, files;
  PosixEnv env;
  env.ListDirectory(folder, &entries);
  for (const DirectoryEntry& entry : entries) {
    if (!entry.is_directory) files.push_back(entry);
  }
  return files;
}

class WelcomeMessagesTest : public testing::AccountInstallation {
 protected:
  WelcomeMessagesTest() {
    dir_.Write("config/welcome.eml", "Subject: Hi\r\n\r\n.dot line\r\nbye\r\n");
    dir_.Write("extra/rules.eml", "Subject: Rules\r\n\r\nbe nice");
    dir_.Write("config/messages.dat",
               "welcome.eml\r\n\r\n  " + dir_.path() + "extra/rules.eml  \r\nmissing.eml\r\n");
    user_ = MakeRecord("john", "pw");
    SetText(user_, 1028, 127, "example.org\\john\\");
  }
  UserRecord user_;
};

TEST_F(WelcomeMessagesTest, Pop3LayoutGetsStuffedTmpFiles) {
  EXPECT_EQ(PlaceWelcomeMessages(context_, user_), 2);
  const std::string folder = dir_.path() + "mail/example.org/john/";
  std::vector<DirectoryEntry> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 2u);
  std::vector<std::string> contents;
  for (const DirectoryEntry& file : files) {
    EXPECT_EQ(file.name.size(), 26u) << file.name;
    EXPECT_EQ(file.name.substr(22), ".tmp");
    EXPECT_EQ(file.name.find('-'), std::string::npos);
    std::string content;
    ASSERT_TRUE(context_.env().ReadFile(folder + file.name, &content).ok());
    contents.push_back(content);
  }
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"Subject: Hi\r\n\r\n..dot line\r\nbye\r\n\r\n.\r\n",
                                                "Subject: Rules\r\n\r\nbe nice\r\n.\r\n"}));
  EXPECT_FALSE(dir_.Exists("mail/example.org/john/inbox"));
  EXPECT_TRUE(dir_.Exists("config/welcome.eml")) << "the template stays";
}

TEST_F(WelcomeMessagesTest, ImapLayoutGetsTheMessagesAsTheyAreInTheInbox) {
  user_[665] = 2;
  EXPECT_EQ(PlaceWelcomeMessages(context_, user_), 2);
  std::vector<DirectoryEntry> files = FilesIn(dir_.path() + "mail/example.org/john/inbox/");
  ASSERT_EQ(files.size(), 2u);
  std::vector<std::string> contents;
  for (const DirectoryEntry& file : files) {
    EXPECT_EQ(file.name.substr(file.name.size() - 5), ".imap");
    contents.push_back(dir_.Read("mail/example.org/john/inbox/" + file.name));
  }
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"Subject: Hi\r\n\r\n.dot line\r\nbye\r\n",
                                                "Subject: Rules\r\n\r\nbe nice"}));
}

TEST_F(WelcomeMessagesTest, NothingWithoutListOrFolder) {
  UserRecord no_folder = MakeRecord("ann", "pw");
  EXPECT_EQ(PlaceWelcomeMessages(context_, no_folder), 0);
  context_.env().RemoveFile(dir_.path() + "config/messages.dat");
  EXPECT_EQ(PlaceWelcomeMessages(context_, user_), 0);
  EXPECT_FALSE(dir_.Exists("mail/example.org/john"));
}

}  // namespace
}  // namespace tarvelin
