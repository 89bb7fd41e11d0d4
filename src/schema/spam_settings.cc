#include "schema/spam_settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "foundation/text.h"
#include "schema/spam_setting_table.h"

namespace tarvelin {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<int32_t> ParseWhole(std::string_view text) {
  text = TrimSpaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// An optional "-", digits and at most one "." or ",".
std::optional<double> ParseReal(std::string_view text) {
  text = TrimSpaces(text);
  std::string plain(text);
  bool digit = false;
  int separators = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    char& c = plain[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' || c == ',') {
      c = '.';
      ++separators;
    } else if (!(c == '-' && i == 0)) {
      return std::nullopt;
    }
  }
  if (!digit || separators > 1) return std::nullopt;
  double value = 0;
  const auto [end, error] =
      std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value + 0.0;  // no negative zero
}

// "h:mm", as minutes after midnight.
std::optional<int64_t> ParseTimeOfDay(std::string_view text) {
  text = TrimSpaces(text);
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2) return std::nullopt;
  const std::string_view hours = text.substr(0, colon);
  const std::string_view minutes = text.substr(colon + 1);
  if (minutes.empty() || minutes.size() > 2) return std::nullopt;
  int h = 0;
  int m = 0;
  for (char c : hours) {
    if (c < '0' || c > '9') return std::nullopt;
    h = h * 10 + (c - '0');
  }
  for (char c : minutes) {
    if (c < '0' || c > '9') return std::nullopt;
    m = m * 10 + (c - '0');
  }
  if (h > 23 || m > 59) return std::nullopt;
  return h * 60 + m;
}

std::string WithoutSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

std::string TwoDecimals(double value) {
  const int length = std::snprintf(nullptr, 0, "%.2f", value);
  std::string out(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%.2f", value);
  out.resize(static_cast<size_t>(length));
  if (out == "-0.00") out = "0.00";
  return out;
}

// Why a value is refused for its row; empty when it reads.
std::string Refusal(const SpamSettingRow& row, std::string_view value) {
  if (row.form == SpamValueForm::kTimeOfDay) {
    return ParseTimeOfDay(value) ? "" : "takes a time of day as h:mm (0:00 to 23:59)";
  }
  switch (row.kind) {
    case SpamValueKind::kFlag: {
      const std::optional<int32_t> n = ParseWhole(value);
      return n && (*n == 0 || *n == 1) ? "" : "is a flag: 0 or 1";
    }
    case SpamValueKind::kNumber:
      return ParseWhole(value) ? "" : "takes a whole number";
    case SpamValueKind::kReal:
      return ParseReal(value) ? "" : "takes a decimal number (\".\" or \",\" as separator)";
    case SpamValueKind::kText: {
      if (value.find_first_of("\r\n") != std::string_view::npos) return "may not hold a line break";
      const bool spaces_go = row.form != SpamValueForm::kPlain;
      const bool empty = spaces_go ? WithoutSpaces(value).empty() : value.empty();
      // The load skips an empty value, so the initial one would come back.
      if (empty && !row.initial.empty()) {
        return "cannot be emptied: spam.dat skips an empty value, so \"" +
               std::string(row.initial) + "\" would come back";
      }
      return "";
    }
  }
  return "";
}

}  // namespace

SpamSettings::SpamSettings() {
  const std::span<const SpamSettingRow> rows = SpamSettingRows();
  held_.resize(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) Assign(i, rows[i].initial);
}

std::string SpamSettings::Text(std::string_view key) const {
  const int index = FindSpamSetting(key);
  return index < 0 ? std::string() : WrittenForm(static_cast<size_t>(index));
}

Status SpamSettings::Set(std::string_view key, std::string_view value) {
  const int index = FindSpamSetting(key);
  if (index < 0) {
    return Status::InvalidArgument("no antispam setting is called \"" + std::string(key) + "\"");
  }
  const SpamSettingRow& row = SpamSettingRows()[static_cast<size_t>(index)];
  if (const std::string why = Refusal(row, value); !why.empty()) {
    return Status::InvalidArgument(std::string(row.key) + " " + why + ", not \"" +
                                   std::string(value) + "\"");
  }
  Assign(static_cast<size_t>(index), value);
  freshly_loaded_ = false;
  return Status::Ok();
}

void SpamSettings::Assign(size_t index, std::string_view value) {
  const SpamSettingRow& row = SpamSettingRows()[index];
  Held& held = held_[index];
  switch (row.form) {
    case SpamValueForm::kHundredthsOfPercent:
      held.real = ParseWhole(value).value_or(0) / 100.0;
      break;
    case SpamValueForm::kTimesHundred:
      held.number = int64_t{ParseWhole(value).value_or(0)} * 100;
      break;
    case SpamValueForm::kTimeOfDay:
      held.number = ParseTimeOfDay(value).value_or(0);
      break;
    case SpamValueForm::kLowerCaseList: {
      const std::string list = WithoutSpaces(ToLower(value));
      held.text = list.empty() ? list : ";" + list + ";";
      break;
    }
    case SpamValueForm::kNoSpaces:
      held.text = WithoutSpaces(value);
      break;
    case SpamValueForm::kPlain:
      switch (row.kind) {
        case SpamValueKind::kFlag:
          held.number = ParseWhole(value).value_or(0) == 1 ? 1 : 0;
          break;
        case SpamValueKind::kNumber:
          held.number = ParseWhole(value).value_or(0);
          break;
        case SpamValueKind::kReal:
          held.real = ParseReal(value).value_or(0);
          break;
        case SpamValueKind::kText:
          held.text = std::string(value);
          break;
      }
      break;
  }
}

void SpamSettings::ApplyFileText(std::string_view content) {
  for (const std::string& line : SplitLines(content)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string_view value = std::string_view(line).substr(equals + 1);
    if (value.empty()) continue;
    const int index = FindSpamSetting(TrimSpaces(std::string_view(line).substr(0, equals)));
    if (index < 0) continue;
    Assign(static_cast<size_t>(index), value);
  }
}

std::string SpamSettings::FileText() const {
  const std::span<const SpamSettingRow> rows = SpamSettingRows();
  std::string out;
  for (size_t i = 0; i < rows.size(); ++i) {
    out.append(rows[i].key).append("=").append(WrittenForm(i)).append(kLineEnd);
  }
  return out;
}

std::string SpamSettings::WrittenForm(size_t index) const {
  const SpamSettingRow& row = SpamSettingRows()[index];
  const Held& held = held_[index];
  switch (row.form) {
    case SpamValueForm::kHundredthsOfPercent: {
      // Truncated, but past the binary error of the division: 29 / 100 * 100
      // is 28.999999999999996 and must write 29 again.
      const double hundredths = held.real * 100;
      return std::to_string(static_cast<int64_t>(hundredths + std::copysign(1e-6, hundredths)));
    }
    case SpamValueForm::kTimesHundred:
      return std::to_string(held.number / 100);
    case SpamValueForm::kTimeOfDay: {
      char text[8];
      std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(held.number / 60),
                    static_cast<int>(held.number % 60));
      return text;
    }
    case SpamValueForm::kLowerCaseList: {
      std::string_view list = held.text;
      if (!list.empty() && list.front() == ';') list.remove_prefix(1);
      if (!list.empty() && list.back() == ';') list.remove_suffix(1);
      return std::string(list);
    }
    case SpamValueForm::kNoSpaces:
    case SpamValueForm::kPlain:
      break;
  }
  switch (row.kind) {
    case SpamValueKind::kFlag:
    case SpamValueKind::kNumber:
      return std::to_string(held.number);
    case SpamValueKind::kReal:
      return TwoDecimals(held.real);
    case SpamValueKind::kText:
      return held.text;
  }
  return held.text;
}

}  // namespace tarvelin
