#include "config/spam_db_header.h"

#include <charconv>

#include "foundation/date_time.h"
#include "foundation/text.h"
#include "platform/locale_format.h"

namespace tarvelin {

namespace {

constexpr size_t kHeaderMax = 4096;

bool ParseNumber(const std::string& text, int* out) {
  const std::string trimmed = Trim(text);
  const char* end = trimmed.data() + trimmed.size();
  const auto [ptr, error] = std::from_chars(trimmed.data(), end, *out);
  return error == std::errc() && ptr == end && !trimmed.empty();
}

std::string FormatStoredDate(const std::string& text) {
  const std::vector<std::string> parts = Split(text, '/');
  CivilDate date;
  double encoded = 0;
  if (parts.size() != 3 || !ParseNumber(parts[0], &date.year) ||
      !ParseNumber(parts[1], &date.month) || !ParseNumber(parts[2], &date.day) ||
      !EncodeDate(date, &encoded)) {
    return text;
  }
  return FormatShortDate(date);
}

}  // namespace

SpamDbHeader ReadSpamDbHeader(Env& env, std::string_view spam_directory) {
  std::string head;
  if (!env.ReadFilePrefix(std::string(spam_directory) + "spam.db", kHeaderMax, &head).ok()) {
    return {};
  }
  const std::vector<std::string> lines = SplitLines(head);
  if (lines.empty()) return {};
  const std::vector<std::string> fields = Split(lines.front(), '\t');
  SpamDbHeader header;
  if (fields.size() > 3) header.date = FormatStoredDate(fields[3]);
  if (fields.size() > 4) header.field5 = fields[4];
  return header;
}

}  // namespace tarvelin
