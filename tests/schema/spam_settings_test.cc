#include "schema/spam_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "schema/spam_setting_table.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

TEST(SpamSettingTableTest, HoldsEveryKeyOnceInTheFileOrder) {
  const auto rows = SpamSettingRows();
  ASSERT_EQ(rows.size(), 102u);
  EXPECT_EQ(rows.front().key, "SpamBayesian");
  EXPECT_EQ(rows[3].key, "SpamPercentage");
  EXPECT_EQ(rows[33].key, "SpamUpdateTime");
  EXPECT_EQ(rows.back().key, "SpamHashExpire");
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(FindSpamSetting(rows[i].key), static_cast<int>(i)) << rows[i].key;
  }
  EXPECT_EQ(FindSpamSetting("spambayesian"), 0);
  EXPECT_EQ(FindSpamSetting("SPAMHASHEXPIRE"), 101);
  EXPECT_EQ(FindSpamSetting("SpamBayesia"), -1);
  EXPECT_EQ(FindSpamSetting(""), -1);
}

TEST(SpamSettingsTest, StartAtTheirInitialValues) {
  const SpamSettings settings;
  const struct {
    const char* key;
    const char* text;
  } cases[] = {
      {"WordStopList", "fw;re"},
      {"SkipIndexingForCharsets", "gb2312;big5"},
      {"AddSubjectString", "[Spam]"},
      {"SpamIMAPFolder", "Spam"},
      {"SpamFilterRecords", "7,0,1"},
      {"SpamChallengeConnection", "QuorantSpamChallenge"},
      {"SpamChallengeEmailFrom", "<>"},
      {"SpamChallengeFont", "Arial"},
      {"SpamBayesian", "0"},
      {"SpamPercentage", "0"},
      {"SpamUpdateTime", "0:00"},
      {"SAScoreValue", "0.00"},
      {"IndexUsers", ""},
      {"SpamChallengeURL", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(settings.Text(c.key), c.text) << c.key;
  EXPECT_TRUE(settings.Text("SpamUpdateURL").ends_with("/update/spam.xml"));
  EXPECT_TRUE(settings.Text("SpamChallengeMailFrom").starts_with("Challenge Response <"));
  EXPECT_EQ(settings.Text("NoSuchSetting"), "");
  EXPECT_FALSE(settings.freshly_loaded());
}

// A file line's value and what the setting writes back after reading it.
TEST(SpamSettingsTest, ReadEachKindAndWriteItsForm) {
  const struct {
    const char* key;
    const char* value;
    const char* written;
  } cases[] = {
      {"SpamBayesian", "1", "1"},
      {"SpamBayesian", "2", "0"},  // only 1 switches on
      {"SpamBayesian", "yes", "0"},
      {"SpamMaxThreads", " 12 ", "12"},
      {"SpamMaxThreads", "-7", "-7"},
      {"SpamMaxThreads", "12abc", "0"},  // unreadable counts as 0
      {"SpamMaxThreads", "99999999999", "0"},
      {"SpamPercentage", "2550", "2550"},  // held as 25.5 percent
      {"SpamPercentage", "29", "29"},      // 0.29 * 100 is 28.999...
      {"SpamPercentage", "-29", "-29"},
      {"SpamAssassinMaxScore", "15", "15"},
      {"SpamAssassinMaxScore", "2147483647", "2147483647"},
      {"SAScoreValue", "5,5", "5.50"},
      {"SAScoreValue", "-2.126", "-2.13"},
      {"SAScoreValue", "7", "7.00"},
      {"SAScoreValue", ".5", "0.50"},
      {"SAScoreValue", "-0", "0.00"},
      {"SAScoreValue", "1.2.3", "0.00"},
      {"SAScoreValue", "1e5", "0.00"},
      {"SpamUpdateTime", "7:05", "7:05"},
      {"SpamUpdateTime", "23:59", "23:59"},
      {"SpamUpdateTime", "24:00", "0:00"},
      {"SpamUpdateTime", "noon", "0:00"},
      {"IndexUsers", "John@Example.org; Jane@Example.org", "john@example.org;jane@example.org"},
      {"WordStopList", ";Fw;", ";fw;"},  // the held ";" are one on each side
      {"SkipIndexingForCharsets", "koi8-r ; big5", "koi8-r;big5"},
      {"AddSubjectString", " [SPAM] ", " [SPAM] "},
      {"SpamChallengeURL", "http://x/a=b", "http://x/a=b"},
  };
  for (const auto& c : cases) {
    SpamSettings settings;
    settings.ApplyFileText(std::string(c.key) + "=" + c.value + "\r\n");
    EXPECT_EQ(settings.Text(c.key), c.written) << c.key << "=" << c.value;
  }
}

TEST(SpamSettingsTest, PercentageSurvivesEverySaveExactly) {
  // Each save truncates percent × 100: without care for the binary error
  // of the division, a value like 29 loses one hundredth at every save.
  SpamSettings settings;
  for (int hundredths = 0; hundredths <= 10000; ++hundredths) {
    settings.ApplyFileText("SpamPercentage=" + std::to_string(hundredths));
    ASSERT_EQ(settings.Text("SpamPercentage"), std::to_string(hundredths));
  }
}

TEST(SpamSettingsTest, FileLinesFollowTheLoadRules) {
  SpamSettings settings;
  settings.ApplyFileText(
      "AddSubjectString=\r\n"      // empty: the tag stays
      "spammaxthreads=4\n"         // any letter case, a lone LF
      "SpamMaxThreads=5\r\n"       // a later line wins
      "Unknown=1\r\n"              // ignored
      "no equals sign\r\n"         //
      "\r\n"                       //
      "SpamChallengeURL==x=y\r\n"  // the value starts after the first "="
      " SpamCustomLow =3\r\n"      // spaces around the key
      "SpamIMAPFolder=Junk\r");    // last line, no LF
  EXPECT_EQ(settings.Text("AddSubjectString"), "[Spam]");
  EXPECT_EQ(settings.Text("SpamMaxThreads"), "5");
  EXPECT_EQ(settings.Text("SpamChallengeURL"), "=x=y");
  EXPECT_EQ(settings.Text("SpamCustomLow"), "3");
  EXPECT_EQ(settings.Text("SpamIMAPFolder"), "Junk");
}

TEST(SpamSettingsTest, OddFilesLoadWhatTheyHold) {
  const std::string long_value(1 << 20, 'x');
  const struct {
    const char* name;
    std::string file;
    const char* key;
    std::string text;
  } cases[] = {
      {"empty", "", "AddSubjectString", "[Spam]"},
      {"only line ends", "\r\n\n\r\n", "SpamIMAPFolder", "Spam"},
      {"a long line", "SpamChallengeURL=" + long_value + "\r\nSpamMaxThreads=2", "SpamChallengeURL",
       long_value},
      {"NUL bytes in a text", std::string("SpamIMAPFolder=a\0b\r\n", 19), "SpamIMAPFolder",
       std::string("a\0b", 3)},
      {"a NUL in a number", std::string("SpamMaxThreads=4\0\n", 18), "SpamMaxThreads", "0"},
      {"a lone CR inside a line", "SpamIMAPFolder=a\rb\r\n", "SpamIMAPFolder", "a\rb"},
      {"a key alone", "SpamMaxThreads\r\n", "SpamMaxThreads", "0"},
  };
  for (const auto& c : cases) {
    SpamSettings settings;
    settings.ApplyFileText(c.file);
    EXPECT_EQ(settings.Text(c.key), c.text) << c.name;
    SpamSettings again;
    again.ApplyFileText(settings.FileText());
    EXPECT_EQ(again.FileText(), settings.FileText()) << c.name;
  }
}

TEST(SpamSettingsTest, FileTextIsEveryKeyInOrderWithCrLf) {
  SpamSettings settings;
  const std::string text = settings.FileText();
  const auto rows = SpamSettingRows();
  size_t at = 0;
  for (const SpamSettingRow& row : rows) {
    const std::string line = std::string(row.key) + "=" + std::string(row.initial) + "\r\n";
    ASSERT_EQ(text.compare(at, line.size(), line), 0) << row.key;
    at += line.size();
  }
  EXPECT_EQ(at, text.size());

  SpamSettings again;
  again.ApplyFileText(text);
  EXPECT_EQ(again.FileText(), text);
}

TEST(SpamSettingsTest, SetTakesTheWrittenFormAndSaysWhyItRefuses) {
  const struct {
    const char* key;
    const char* value;
    bool taken;
    const char* why;  // part of the refusal
  } cases[] = {
      {"spambayesian", "1", true, ""},
      {"SpamBayesian", "2", false, "0 or 1"},
      {"SpamMaxThreads", "8", true, ""},
      {"SpamMaxThreads", "eight", false, "whole number"},
      {"SpamMaxThreads", "", false, "whole number"},
      {"SpamPercentage", "25.5", false, "whole number"},
      {"SAScoreValue", "-1,25", true, ""},
      {"SAScoreValue", "high", false, "decimal"},
      {"SpamUpdateTime", "6:30", true, ""},
      {"SpamUpdateTime", "6.30", false, "h:mm"},
      {"SpamChallengeURL", "", true, ""},
      {"AddSubjectString", "", false, "cannot be emptied"},
      {"WordStopList", " ", false, "cannot be emptied"},
      {"AddSubjectString", "a\r\nSpamBayesian=1", false, "line break"},
      {"NoSuchKey", "1", false, "NoSuchKey"},
  };
  for (const auto& c : cases) {
    SpamSettings settings;
    const Status status = settings.Set(c.key, c.value);
    EXPECT_EQ(status.ok(), c.taken) << c.key << " " << c.value;
    if (!c.taken) {
      EXPECT_EQ(status, StatusCode::kInvalidArgument);
      EXPECT_NE(status.message().find(c.why), std::string::npos) << status.message();
    } else {
      SpamSettings read;
      read.ApplyFileText(settings.FileText());
      EXPECT_EQ(read.Text(c.key), settings.Text(c.key)) << c.key;
    }
  }
}

}  // namespace
}  // namespace tarvelin
