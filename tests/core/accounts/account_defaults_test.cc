#include "core/accounts/account_defaults.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "schema/user_record_layout.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "platform/local_now.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using Record = std::array<uint8_t, kUserRecordSize>;

constexpr double kToday = 45000.75;

Record Applied(const std::string& file, const Record& start = Record{}) {
  Record record = start;
  ApplyAccountKeys(ParseDefaultsFile(file), kToday, record.data());
  return record;
}

std::string TextAt(const Record& record, int offset, int capacity) {
  return GetPString(record.data() + offset, capacity);
}

// Each key on a zero record: the bytes it writes, and no others.
TEST(AccountKeys, EachKeyWritesItsFieldOnly) {
  struct Case {
    std::string line;
    int offset;
    int width;
    uint32_t value;
  };
  const Case cases[] = {
      {"AntiSpamIndex=258", 2, 2, 258},
      {"SpamFilter=1", 2, 2, 2},
      {"IMAP4=2", 665, 1, 2},
      {"MailboxType=1", 665, 1, 2},
      {"MailboxType=2", 665, 1, 1},
      {"RespondWith=7", 1293, 1, 7},
      {"Responder=9", 1293, 1, 9},
      {"LimitMailboxSize=1", 1285, 1, 1},
      {"LimitMailboxSizeValue=70000", 1288, 4, 70000},
      {"MegabyteSendLimit=70000", 1026, 2, 70000 & 0xFFFF},
      {"MaxMessageSize=123456", 760, 4, 123456},
      {"LocalMailOnly=1", 1294, 1, 0x01},
      {"DeleteMailOlder=1", 2320, 1, 1},
      {"DeleteMailOlderValue=30", 2324, 4, 30},
      {"ExpiresIfInactive=90", 660, 4, 90u << 16},
      {"DeleteAccountWhenExpired=1", 770, 1, 1},
      {"XEnvelopeTo=1", 656, 1, 1},
      {"NoMailingList=1", 765, 1, 1},
      {"AuthMode=3", 664, 1, 3},
      {"SpamFolderMode=2", 766, 1, 2},
      {"ServicesAccessSMTP=0", 1294, 1, 0x02},
      {"ServicesAccessPOP3IMAP=0", 1294, 1, 0x04},
      {"ServicesAccessIM=0", 1294, 1, 0x08},
      {"ServicesAccessWebMail=0", 1294, 1, 0x10},
      {"ServicesAccessInstantAntiSpam=0", 1294, 1, 0x20},
      {"ServicesAccessCalendar=0", 1294, 1, 0x40},
      {"ServicesAccessChallengeResponse=2", 1294, 1, 0x80},
      {"ServicesAccessAV=1", 259, 1, 0x01},
      {"ServicesAccessSIP=0", 259, 1, 0x02},
      {"authmode=4", 664, 1, 4},
      {"AuthMode=-1", 664, 1, 0xFF},
      {"AuthMode=abc", 664, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Record record = Applied(c.line + "\n");
    EXPECT_EQ(GetLE(record.data() + c.offset, c.width), c.value);
    for (int i = 0; i < kUserRecordSize; ++i) {
      if (i < c.offset || i >= c.offset + c.width) {
        ASSERT_EQ(record[i], 0) << "byte " << i;
      }
    }
  }
}

TEST(AccountKeys, TextsAreCutToTheirFieldCapacity) {
  struct Case {
    std::string key;
    int offset;
    int capacity;
  };
  const Case cases[] = {
      {"RespondWithFile", 1552, 127}, {"ValidityWarningFile", 2064, 255},
      {"ForwardTo", 1296, 255},       {"IncomingCopy", 1808, 127},
      {"OutgoingCopy", 1936, 127},    {"AuthModeValue", 900, 116},
  };
  const std::string long_value(300, 'v');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(TextAt(Applied(c.key + "=a@b.example\n"), c.offset, c.capacity), "a@b.example");
    const Record cut = Applied(c.key + "=" + long_value + "\n");
    EXPECT_EQ(TextAt(cut, c.offset, c.capacity), long_value.substr(0, c.capacity));
    EXPECT_EQ(cut[c.offset + c.capacity + 1], 0) << "nothing past the field";
  }
}

TEST(AccountKeys, LaterLinesOverrideEarlierOnes) {
  EXPECT_EQ(Applied("MailboxType=1\nIMAP4=0\n")[665], 0);
  EXPECT_EQ(Applied("IMAP4=0\nMailboxType=1\n")[665], 2);
  EXPECT_EQ(TextAt(Applied("ForwardTo=a\nForwardTo=b\n"), 1296, 255), "b");
}

TEST(AccountKeys, MailboxTypeBeyondTwoLeavesTheMode) {
  Record start{};
  start[665] = 1;
  EXPECT_EQ(Applied("MailboxType=3\n", start)[665], 1);
  EXPECT_EQ(Applied("MailboxType=-1\n", start)[665], 1);
}

TEST(AccountKeys, ForwardToEmptyQuotesClearAndEmptyValueIsSkipped) {
  Record start{};
  PutPString(start.data() + 1296, 255, "old@example.org");
  EXPECT_EQ(TextAt(Applied("ForwardTo=\"\"\n", start), 1296, 255), "");
  EXPECT_EQ(TextAt(Applied("ForwardTo=\n", start), 1296, 255), "old@example.org");
  EXPECT_EQ(TextAt(Applied("ForwardTo=x@y\nForwardTo=\n", start), 1296, 255), "x@y");
}

TEST(AccountKeys, ServiceKeysOnlyAddRestrictions) {
  Record start{};
  start[1294] = 0x02;  // SMTP refused already
  start[259] = 0x03;
  EXPECT_EQ(Applied("ServicesAccessSMTP=1\n")[1294], 0) << "1 changes nothing";
  EXPECT_EQ(Applied("ServicesAccessSMTP=0\n")[1294], 0x02) << "0 refuses SMTP";
  const Record kept = Applied(
      "ServicesAccessSMTP=1\nServicesAccessAV=0\nServicesAccessSIP=1\nLocalMailOnly=0\n"
      "SpamFilter=0\n",
      start);
  EXPECT_EQ(kept, start) << "no key clears a bit";
}

TEST(AccountKeys, SendLimitAndExpiry) {
  Record record = Applied("NumberSendLimit=70000\n");
  EXPECT_EQ(GetLE(record.data() + 1024, 2), 70000u & 0xFFFF);
  EXPECT_EQ(GetLE(record.data() + 1018, 2), 70000u >> 16);

  Record start{};
  PutLE(start.data() + 660, 4, 0x0000FFFF);
  EXPECT_EQ(GetLE(Applied("ExpiresIfInactive=2\n", start).data() + 660, 4), 0x00020000u)
      << "the low half becomes 0";

  record = Applied("ExpiresInDays=30\n");
  EXPECT_EQ(GetDouble(record.data() + 648), 45030.0) << "whole days from today";
  EXPECT_EQ(record[645], 1);
  record = Applied("ExpiresInDays=-1\n");
  EXPECT_EQ(GetDouble(record.data() + 648), 45000.0 + 4294967295.0) << "read as unsigned";
}

TEST(AccountKeys, UnknownKeysAndOddLinesAreIgnored) {
  const Record record = Applied(
      "Password=secret\n"
      "AdministratorAlias=admin\n"
      "DomainAV=1\n"
      "[section]\n"
      "; comment\n"
      "=5\n"
      "   \n"
      "AliasList=x\n"
      "ServicesAccess=0\n");
  EXPECT_EQ(record, Record{});
  const Record odd = Applied(
      "\xEF\xBB\xBFjunk\r\n"
      "  xenvelopeto   =   1  \r\n"
      "ForwardTo=a=b\r\n"
      "MaxMessageSize=12abc\n"
      "MaxMessageSize=99999999999\n");
  EXPECT_EQ(odd[656], 1);
  EXPECT_EQ(TextAt(odd, 1296, 255), "a=b");
  EXPECT_EQ(GetLE(odd.data() + 760, 4), 0u) << "unreadable numbers are 0";
}

class AccountDefaultsFileTest : public ::testing::Test {
 protected:
  AccountDefaultsFileTest() {
    context_.api.initialised = true;
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
  }
  testing::TempDir dir_;
  Context context_;
};

TEST_F(AccountDefaultsFileTest, DomainFileFirstElseTheGlobalOne) {
  const std::string global = dir_.path() + "config/default.ini";
  const std::string own = dir_.path() + "config/example.org/default.ini";
  EXPECT_EQ(AccountDefaultsPath(context_, "example.org"), global) << "neither exists";
  dir_.Write("config/default.ini", "ForwardTo=global\n");
  dir_.Write("config/example.org/default.ini", "ForwardTo=own\n");
  EXPECT_EQ(AccountDefaultsPath(context_, "example.org"), own);
  EXPECT_EQ(AccountDefaultsPath(context_, "Example.ORG"), own) << "domain names are lower-case";
  for (const char* other : {"", "example.net", ".", "..", "../config", "a/b", "a\\b"}) {
    EXPECT_EQ(AccountDefaultsPath(context_, other), global) << other;
  }

  Record record{};
  ApplyAccountDefaults(context_, "example.org", record.data());
  EXPECT_EQ(TextAt(record, 1296, 255), "own");
  ApplyAccountDefaults(context_, "", record.data());
  EXPECT_EQ(TextAt(record, 1296, 255), "global");
}

TEST_F(AccountDefaultsFileTest, MissingOrUnreadableFileAppliesNothing) {
  Record record{};
  record[1294] = 0x40;
  const Record before = record;
  ApplyAccountDefaults(context_, "example.org", record.data());
  EXPECT_EQ(record, before);
  dir_.Write("config/default.ini/inside", "a directory where the file should be");
  ApplyAccountDefaults(context_, "", record.data());
  EXPECT_EQ(record, before);
}

TEST_F(AccountDefaultsFileTest, ExpiryCountsFromTodaysDate) {
  dir_.Write("config/default.ini", "ExpiresInDays=10\n");
  Record record{};
  const double before = std::floor(LocalNowAsDateTime(context_.env()));
  ApplyAccountDefaults(context_, "", record.data());
  const double after = std::floor(LocalNowAsDateTime(context_.env()));
  const double expiry = GetDouble(record.data() + 648);
  EXPECT_TRUE(expiry == before + 10 || expiry == after + 10) << expiry;
  EXPECT_EQ(record[645], 1);
}

TEST_F(AccountDefaultsFileTest, SetUserDefaultsFollowsForceAndVariable77) {
  dir_.Write("config/default.ini", "XEnvelopeTo=1\n");
  dir_.Write("config/example.org/default.ini", "NoMailingList=1\n");
  Record record{};
  EXPECT_FALSE(SetUserDefaults(context_, record.data(), 0));
  EXPECT_EQ(record, Record{}) << "variable 77 off and no force";
  EXPECT_TRUE(SetUserDefaults(context_, record.data(), 1));
  EXPECT_EQ(record[656], 1);
  EXPECT_EQ(record[765], 0) << "only the global file";

  record = Record{};
  context_.config.record.SetByte(1543, 1);  // variable 77
  EXPECT_TRUE(SetUserDefaults(context_, record.data(), 0));
  EXPECT_EQ(record[656], 1);
}

TEST_F(AccountDefaultsFileTest, SetUserDefaultsWithoutAFileStillCountsAsApplied) {
  Record record{};
  EXPECT_TRUE(SetUserDefaults(context_, record.data(), 1));
  EXPECT_EQ(record, Record{});
}

}  // namespace
}  // namespace tarvelin
