// The antispam settings of spam.dat as data: the 102 keys in the order the
// file is written, each with its value kind, its particular form and its
// initial value in the file's written form. Loading, saving, defaults and
// the CLI's checks are all driven by this one table.
#pragma once

#include <span>
#include <string_view>

namespace tarvelin {

enum class SpamValueKind {
  kFlag,    // 1 on, any other number off; written 1 or 0
  kNumber,  // decimal integer; unreadable text reads as 0
  kReal,    // "." or "," as separator, optional "-"; written with two decimals
  kText,
};

enum class SpamValueForm {
  kPlain,
  kHundredthsOfPercent,  // file: hundredths; held: percent (SpamPercentage)
  kTimesHundred,         // file: the number; held: it times 100 (SpamAssassinMaxScore)
  kTimeOfDay,            // "h:mm" (SpamUpdateTime)
  kLowerCaseList,        // lower-cased, spaces removed, held wrapped in ";"
  kNoSpaces,             // spaces removed (SkipIndexingForCharsets)
};

struct SpamSettingRow {
  std::string_view key;
  SpamValueKind kind;
  SpamValueForm form;
  std::string_view initial;  // in the written form
};

// All settings, in the order of the file.
std::span<const SpamSettingRow> SpamSettingRows();

// The row's index for `key` compared without regard to case; -1 when no
// setting has that key.
int FindSpamSetting(std::string_view key);

// "flag", "number", "real", "text" or "time".
std::string_view SpamValueKindName(const SpamSettingRow& row);

}  // namespace tarvelin
