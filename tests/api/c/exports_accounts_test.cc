// The account-settings exports as a management program calls them.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "schema/server_config.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

constexpr int32_t kRecordSize = 2848;

TEST(AccountExports, AnswerMinusFiveBeforeInit) {
  std::array<uint8_t, kRecordSize> record{};
  uint32_t value = 0;
  EXPECT_EQ(::GetUserSetting(record.data(), kRecordSize, 0, &value, 4), -5);
  EXPECT_EQ(::SetUserSetting(record.data(), kRecordSize, 0, &value, 4), -5);
  EXPECT_EQ(::SetUserDefaults(record.data(), kRecordSize, 1), -5);
  EXPECT_EQ(::GetUserCount("example.org"), -5);
  EXPECT_EQ(::GetUserList("example.org", record.data(), kRecordSize), -5);
  EXPECT_EQ(::GetUserIndex("example.org", "john"), -5);
  EXPECT_EQ(::LoadUser("example.org", 0, record.data(), kRecordSize), -5);
  EXPECT_EQ(::SaveUser("example.org", 0, record.data(), kRecordSize), -5);
  EXPECT_EQ(::AddUser("example.org", record.data(), kRecordSize), -5);
  EXPECT_EQ(::DeleteUser("example.org", 0), -5);
}

TEST(AccountExports, AddLoadSaveAndDeleteAnAccount) {
  testing::TempDir dir;
  ServerConfig config = testing::RecordWithDomainCount(1);
  dir.Write("config/settings.cfg", testing::SettingsFileOf(config));
  dir.Write("config/domains.cfg", testing::DomainsFileOf({"example.org"}));
  ASSERT_EQ(::Init(dir.path().c_str()), 0);

  std::array<uint8_t, kRecordSize> record{};
  const std::string aliases = "john;smith";
  ASSERT_EQ(::SetUserSetting(record.data(), kRecordSize, 3, aliases.data(), 10), 0);
  EXPECT_EQ(::AddUser("example.org", record.data(), kRecordSize), 0);
  EXPECT_EQ(::AddUser("example.org", record.data(), kRecordSize), -1) << "aliases taken";
  EXPECT_EQ(::GetUserCount("example.org"), 1);
  EXPECT_EQ(::GetUserIndex("example.org", "smith"), 0);
  std::array<char, 16> list{};
  EXPECT_EQ(::GetUserList("example.org", list.data(), 16), 6);
  EXPECT_EQ(std::string(list.data(), 6), std::string("john\0\0", 6));

  std::array<uint8_t, kRecordSize> loaded{};
  ASSERT_EQ(::LoadUser("example.org", 0, loaded.data(), kRecordSize), kRecordSize);
  std::array<char, 256> text{};
  ASSERT_EQ(::GetUserSetting(loaded.data(), kRecordSize, 16, text.data(), 256), 4);
  EXPECT_EQ(std::string(text.data(), 4), "john") << "the mailbox name from the alias";
  const std::string renamed = "jack";
  ASSERT_EQ(::SetUserSetting(loaded.data(), kRecordSize, 3, renamed.data(), 4), 0);
  EXPECT_EQ(::SaveUser("example.org", 0, loaded.data(), kRecordSize), 0);
  EXPECT_EQ(::GetUserIndex("example.org", "jack"), 0);
  EXPECT_EQ(::SaveUser("example.org", 0, loaded.data(), 10), -3);
  EXPECT_EQ(::DeleteUser("example.org", 0), 0);
  EXPECT_EQ(::GetUserCount("example.org"), 0);
  EXPECT_EQ(::LoadUser("nowhere.org", 0, loaded.data(), kRecordSize), -1);
}

TEST(AccountExports, WorkOnTheCallersRecordAfterInit) {
  testing::TempDir dir;
  dir.Write("config/settings.cfg", testing::SettingsFileOf(ServerConfig()));
  dir.Write("config/default.ini", "ForwardTo=all@example.org\nServicesAccessIM=0\n");
  ASSERT_EQ(::Init(dir.path().c_str()), 0);

  std::array<uint8_t, kRecordSize> record{};
  EXPECT_EQ(::SetUserDefaults(record.data(), kRecordSize, 1), kRecordSize);
  std::array<char, 256> text{};
  ASSERT_EQ(::GetUserSetting(record.data(), kRecordSize, 45, text.data(), 256), 15);
  EXPECT_EQ(std::string(text.data(), 15), "all@example.org");
  uint8_t flag = 1;
  EXPECT_EQ(::GetUserSetting(record.data(), kRecordSize, 74, &flag, 1), 1);
  EXPECT_EQ(flag, 0) << "instant messaging refused by the defaults";

  const std::string alias = "john;4711";
  EXPECT_EQ(::SetUserSetting(record.data(), kRecordSize, 3, alias.data(), 9), 0);
  ASSERT_EQ(::GetUserSetting(record.data(), kRecordSize, 85, text.data(), 256), 4);
  EXPECT_EQ(std::string(text.data(), 4), "4711");

  EXPECT_EQ(::GetUserSetting(record.data(), kRecordSize - 1, 45, text.data(), 256), -3);
  EXPECT_EQ(::GetUserSetting(record.data(), kRecordSize, 45, text.data(), 3), -3);
  EXPECT_EQ(::SetUserSetting(record.data(), kRecordSize, 7, alias.data(), 9), -1);
  EXPECT_EQ(::SetUserDefaults(record.data(), 100, 1), -3);
  EXPECT_EQ(::SetUserDefaults(record.data(), kRecordSize, 0), 0) << "variable 77 is off";
}

}  // namespace
}  // namespace tarvelin
