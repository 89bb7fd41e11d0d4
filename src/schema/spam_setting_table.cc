#include "schema/spam_setting_table.h"

#include <array>

#include "foundation/text.h"

namespace tarvelin {

namespace {

using K = SpamValueKind;
using F = SpamValueForm;

// Settings the file does not give start as written here: empty, 0, or the
// values the services expect of a fresh installation.
constexpr std::array<SpamSettingRow, 102> kRows = {{
    {"SpamBayesian", K::kFlag, F::kPlain, "0"},
    {"SpamBayesianNoTag", K::kFlag, F::kPlain, "0"},
    {"SpamBayesianIgnoreMissing", K::kFlag, F::kPlain, "0"},
    {"SpamPercentage", K::kNumber, F::kHundredthsOfPercent, "0"},
    {"AddSubject", K::kFlag, F::kPlain, "0"},
    {"AddSubjectString", K::kText, F::kPlain, "[Spam]"},
    {"OutgoingRules", K::kNumber, F::kPlain, "0"},
    {"AutoIndexing", K::kFlag, F::kPlain, "0"},
    {"IndexGenuinePercentage", K::kNumber, F::kPlain, "0"},
    {"IndexSpamPercentage", K::kNumber, F::kPlain, "0"},
    {"ArchiveIndexedMessages", K::kFlag, F::kPlain, "0"},
    {"IgnoreMessagesLarger", K::kNumber, F::kPlain, "0"},
    {"MessageBalance", K::kNumber, F::kPlain, "0"},
    {"MaxIndexMessagesPerDay", K::kNumber, F::kPlain, "0"},
    {"IndexUsers", K::kText, F::kLowerCaseList, ""},
    {"BypassLocalIPs", K::kFlag, F::kPlain, "0"},
    {"WordStopList", K::kText, F::kLowerCaseList, "fw;re"},
    {"UseSpamFolder", K::kFlag, F::kPlain, "0"},
    {"DeleteSpamMailOlder", K::kNumber, F::kPlain, "0"},
    {"SpamUseIMAP", K::kFlag, F::kPlain, "0"},
    {"SpamBypassNonUsers", K::kFlag, F::kPlain, "0"},
    {"SpamBypassGroupware", K::kFlag, F::kPlain, "0"},
    {"SpamCustomUsers", K::kFlag, F::kPlain, "0"},
    {"SpamIMAPFolder", K::kText, F::kPlain, "Spam"},
    {"SpamCustomLow", K::kNumber, F::kPlain, "0"},
    {"SpamCustomMedium", K::kNumber, F::kPlain, "0"},
    {"SpamCustomHigh", K::kNumber, F::kPlain, "0"},
    {"SpamMaxThreads", K::kNumber, F::kPlain, "0"},
    {"SkipIndexingForCharsets", K::kText, F::kNoSpaces, "gb2312;big5"},
    {"CharsetSpam", K::kFlag, F::kPlain, "0"},
    {"MissingCharset", K::kFlag, F::kPlain, "0"},
    {"SpamUpdate", K::kFlag, F::kPlain, "0"},
    {"SpamUpdateDays", K::kNumber, F::kPlain, "0"},
    {"SpamUpdateTime", K::kNumber, F::kTimeOfDay, "0:00"},
    {"SpamUseCustomDB", K::kFlag, F::kPlain, "0"},
    {"SpamUpdateURL", K::kText, F::kPlain, "https://antispam-updates.example.net/update/spam.xml"},
    {"SpamUpdateProxy", K::kText, F::kPlain, ""},
    {"SpamFilterRecords", K::kText, F::kPlain, "7,0,1"},
    {"SpamHTMLPartsOnly", K::kFlag, F::kPlain, "0"},
    {"SpamHTMLExternalURL", K::kFlag, F::kPlain, "0"},
    {"SpamHTMLNoText", K::kFlag, F::kPlain, "0"},
    {"SpamHTMLScript", K::kFlag, F::kPlain, "0"},
    {"SpamHTMLEqual", K::kFlag, F::kPlain, "0"},
    {"SpamBlankMail", K::kFlag, F::kPlain, "0"},
    {"SpamHTMLOtherFilters", K::kText, F::kPlain, ""},
    {"SpamChallenge", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeLocalDomains", K::kNumber, F::kPlain, "0"},
    {"SpamChallengeAddOutgoing", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeMarked", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeUnMarked", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeManual", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeExpires", K::kNumber, F::kPlain, "0"},
    {"SpamChallengeURL", K::kText, F::kPlain, ""},
    {"SpamChallengeConnection", K::kText, F::kPlain, "QuorantSpamChallenge"},
    {"SpamChallengeEmailFrom", K::kText, F::kPlain, "<>"},
    {"SpamChallengeMailFrom", K::kText, F::kPlain,
     "Challenge Response <challenge@example.invalid>"},
    {"SpamChallengePerc", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeSpam", K::kNumber, F::kPlain, "0"},
    {"SpamChallengeGenuine", K::kNumber, F::kPlain, "0"},
    {"SpamChallengeSeparateUsers", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeSAPerc", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeSASpam", K::kNumber, F::kPlain, "0"},
    {"SpamChallengeSAGenuine", K::kNumber, F::kPlain, "0"},
    {"SpamChallengeGroupWare", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeSendOnce", K::kFlag, F::kPlain, "0"},
    {"SpamChallengeFont", K::kText, F::kPlain, "Arial"},
    {"SpamChallengeFontSize", K::kNumber, F::kPlain, "0"},
    {"SpamAssassinEnabled", K::kFlag, F::kPlain, "0"},
    {"SpamAssassinMarked", K::kFlag, F::kPlain, "0"},
    {"SpamAssassinRulesPath", K::kText, F::kPlain, ""},
    {"SpamAssassinReporting", K::kFlag, F::kPlain, "0"},
    {"SpamAssassinNoCustom", K::kFlag, F::kPlain, "0"},
    {"SpamAssassinMaxScore", K::kNumber, F::kTimesHundred, "0"},
    {"SpamMaxText", K::kNumber, F::kPlain, "0"},
    {"SAScore", K::kFlag, F::kPlain, "0"},
    {"SAQuarantine", K::kFlag, F::kPlain, "0"},
    {"SAQuarantineScore", K::kReal, F::kPlain, "0.00"},
    {"SADelete", K::kFlag, F::kPlain, "0"},
    {"SADeleteScore", K::kReal, F::kPlain, "0.00"},
    {"SAScoreValue", K::kReal, F::kPlain, "0.00"},
    {"QuarantineAddress", K::kText, F::kPlain, ""},
    {"SpamGLActive", K::kFlag, F::kPlain, "0"},
    {"SpamGLAllow", K::kNumber, F::kPlain, "0"},
    {"SpamGLPending", K::kNumber, F::kPlain, "0"},
    {"SpamGLAuthorized", K::kNumber, F::kPlain, "0"},
    {"SpamGLResponse", K::kText, F::kPlain, ""},
    {"SpamGLMode", K::kNumber, F::kPlain, "0"},
    {"SpamGLDisconnect", K::kFlag, F::kPlain, "0"},
    {"CharsetSpamScore", K::kReal, F::kPlain, "0.00"},
    {"MissingCharsetScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHTMLPartsOnlyScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHTMLExternalURLScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHTMLNoTextScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHTMLScriptScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHTMLEqualScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHTMLOtherFiltersScore", K::kReal, F::kPlain, "0.00"},
    {"SpamBlankMailScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHashActive", K::kFlag, F::kPlain, "0"},
    {"SpamHashScore", K::kReal, F::kPlain, "0.00"},
    {"SpamHashThreshold", K::kNumber, F::kPlain, "0"},
    {"SpamHashThresholdExpire", K::kNumber, F::kPlain, "0"},
    {"SpamHashExpire", K::kNumber, F::kPlain, "0"},
}};

}  // namespace

std::span<const SpamSettingRow> SpamSettingRows() { return kRows; }

int FindSpamSetting(std::string_view key) {
  for (size_t i = 0; i < kRows.size(); ++i) {
    if (EqualsNoCase(kRows[i].key, key)) return static_cast<int>(i);
  }
  return -1;
}

std::string_view SpamValueKindName(const SpamSettingRow& row) {
  if (row.form == SpamValueForm::kTimeOfDay) return "time";
  switch (row.kind) {
    case SpamValueKind::kFlag:
      return "flag";
    case SpamValueKind::kNumber:
      return "number";
    case SpamValueKind::kReal:
      return "real";
    case SpamValueKind::kText:
      return "text";
  }
  return "text";
}

}  // namespace tarvelin
