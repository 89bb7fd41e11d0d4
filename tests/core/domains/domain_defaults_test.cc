#include "core/domains/domain_defaults.h"

#include <gtest/gtest.h>

#include <cmath>

#include "schema/domain_record_layout.h"
#include "foundation/bytes.h"
#include "platform/local_now.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

DomainRecord Applied(std::string_view file, DomainRecord record = {}) {
  ApplyDomainDefaults(ParseDefaultsFile(file), 45000.0, record.data());
  return record;
}

TEST(ApplyDomainDefaults, EveryKeyReachesItsField) {
  const DomainRecord record = Applied(
      "administratoralias=postmaster\n"
      "AdministratorEmail=admin@example.org\n"
      "InfoToAdmin=1\n"
      "ForwardUnknown=2\n"
      "ForwardUnknownTo=catchall@example.org\n"
      "DomainAdminLimit=70000\n"
      "DomainDiskQuota=1000\n"
      "DomainMailboxSize=2000\n"
      "DomainMBLimit=3000\n"
      "DomainNumberLimit=40\n"
      "DomainMaxMessageSize=5000\n"
      "DomainMIAS=1\n"
      "DomainGW=1\n"
      "DomainIM=1\n"
      "DomainChallengeResponse=1\n"
      "DeleteDomainWhenExpired=1\n"
      "DomainNotifyBeforeExpiration=1\n"
      "DomainNotifyBeforeExpirationValue=7\n"
      "DomainAV=1\n"
      "DomainSIP=1\n");
  EXPECT_EQ(GetPString(record.data() + 128, 255), "postmaster");
  EXPECT_EQ(GetPString(record.data() + 384, 255), "admin@example.org");
  EXPECT_EQ(record[897], 1);
  EXPECT_EQ(record[640], 2);
  EXPECT_EQ(GetPString(record.data() + 641, 233), "catchall@example.org");
  EXPECT_EQ(GetLE(record.data() + 62, 2), 70000u & 0xFFFF) << "16 bits";
  EXPECT_EQ(GetLE(record.data() + 57, 4), 1000u);
  EXPECT_EQ(GetLE(record.data() + 881, 4), 2000u);
  EXPECT_EQ(GetLE(record.data() + 885, 4), 3000u);
  EXPECT_EQ(GetLE(record.data() + 889, 4), 40u);
  EXPECT_EQ(GetLE(record.data() + 893, 4), 5000u);
  for (int offset : {879, 877, 876, 878, 912, 907}) EXPECT_EQ(record[offset], 1) << offset;
  EXPECT_EQ(GetLE(record.data() + 908, 4), 7u);
  EXPECT_EQ(record[61], 3);
}

TEST(ApplyDomainDefaults, FlagsFollowTheValueButBitsOnlyGetSet) {
  DomainRecord record{};
  record[61] = 0xF3;
  record[876] = 1;
  record = Applied("DomainAV=0\nDomainSIP=2\nDomainIM=2\nDomainGW=1\n", record);
  EXPECT_EQ(record[61], 0xF3) << "the file only adds restrictions";
  EXPECT_EQ(record[876], 0) << "a flag key sets the flag to (value = 1)";
  EXPECT_EQ(record[877], 1);
}

TEST(ApplyDomainDefaults, ExpiryInDaysFromToday) {
  DomainRecord record = Applied("DomainExpiresInDays=30\n");
  EXPECT_EQ(GetDouble(record.data() + 899), 45030.0);
  EXPECT_EQ(record[898], 1);
  record = Applied("DomainExpiresInDays=-2\n");
  EXPECT_EQ(GetDouble(record.data() + 899), 44998.0);
}

TEST(ApplyDomainDefaults, LaterLinesWinAndOtherKeysAreIgnored) {
  DomainRecord record{};
  record[64] = 2;
  PutPString(record.data() + 1041, 127, "root");
  record = Applied(
      "AdministratorAlias=first\nAdministratorAlias=second\nForwardUnknownTo=\n"
      "AdministratorEmail=\"\"\nDomainType=0\nDomainMailboxRoot=x\nDomainDisabled=1\n"
      "ForwardTo=user@example.org\n",
      record);
  EXPECT_EQ(GetPString(record.data() + 128, 255), "second");
  EXPECT_EQ(GetPString(record.data() + 384, 255), "") << "two double quotes: empty text";
  EXPECT_EQ(record[64], 2) << "DomainType is no defaults key";
  EXPECT_EQ(GetPString(record.data() + 1041, 127), "root");
  EXPECT_EQ(record[880], 0);
  DomainRecord expected{};
  expected[64] = 2;
  PutPString(expected.data() + 1041, 127, "root");
  PutPString(expected.data() + 128, 255, "second");
  EXPECT_EQ(record, expected) << "nothing else changed";
}

TEST(ApplyDomainDefaultsFile, ReadsConfigPathDefaultIni) {
  testing::TempDir dir;
  PosixEnv env;
  DomainRecord record{};
  EXPECT_FALSE(ApplyDomainDefaultsFile(env, dir.path(), record.data()));
  EXPECT_EQ(record, DomainRecord{});
  dir.Write("default.ini", "DomainExpiresInDays=1\nDomainDiskQuota=9\n");
  ASSERT_TRUE(ApplyDomainDefaultsFile(env, dir.path(), record.data()));
  EXPECT_EQ(GetLE(record.data() + 57, 4), 9u);
  EXPECT_EQ(GetDouble(record.data() + 899), std::floor(LocalNowAsDateTime(env)) + 1);
}

}  // namespace
}  // namespace tarvelin
