// SpamSettings: the antispam settings as held in memory, one value per row
// of schema/spam_setting_table.h, with the conversions between the held
// values and the written form of spam.dat. Reading the file is lenient
// (unreadable numbers count as 0, unknown keys and empty values are
// skipped); Set, for callers that change one setting, refuses a value that
// does not read as its kind, saying why.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"

namespace tarvelin {

class SpamSettings {
 public:
  // Every setting at its initial value.
  SpamSettings();

  // The value in its written form; empty for an unknown key.
  std::string Text(std::string_view key) const;
  // Sets from the written form. InvalidArgument for an unknown key or a
  // value that is not of the setting's kind (a text may not hold a line
  // break).
  Status Set(std::string_view key, std::string_view value);

  // Applies the lines of a spam.dat: keys without regard to case, the value
  // after the first "=", empty values skipped, a later line winning.
  void ApplyFileText(std::string_view content);
  // All settings in the file's order, "key=value" and CR LF each.
  std::string FileText() const;

  // Whether the values are those of the last load, unchanged since.
  bool freshly_loaded() const { return freshly_loaded_; }
  void MarkFreshlyLoaded() { freshly_loaded_ = true; }

 private:
  struct Held {
    int64_t number = 0;  // flags, numbers, times (minutes), ×100 scores
    double real = 0;     // reals and the percentage
    std::string text;
  };

  // Converts leniently: what does not read as the row's kind counts as 0
  // (a flag off, a time 0:00).
  void Assign(size_t index, std::string_view value);
  std::string WrittenForm(size_t index) const;

  std::vector<Held> held_;
  bool freshly_loaded_ = false;
};

}  // namespace tarvelin
