#include "jobs/upgrade/version_number.h"

#include <algorithm>
#include <regex>
#include <string>

#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr int64_t kPartCeiling = 1000000000;

int64_t PartValue(std::string_view part) {
  int64_t value = 0;
  for (char c : Trim(part)) {
    if (c < '0' || c > '9') break;
    value = std::min(kPartCeiling, value * 10 + (c - '0'));
  }
  return value;
}

// The text before the next `separator` (all of it when there is none); the
// cursor moves past the separator.
std::string_view NextPart(std::string_view& rest, char separator) {
  const size_t at = rest.find(separator);
  const std::string_view part = rest.substr(0, at);
  rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
  return part;
}

}  // namespace

int64_t VersionNumber(std::string_view text) {
  std::string_view rest = text;
  const int64_t major = PartValue(NextPart(rest, '.'));
  const int64_t minor = PartValue(NextPart(rest, '.'));
  std::string_view third = NextPart(rest, '.');
  const int64_t patch = PartValue(NextPart(third, '-'));
  const int64_t build = PartValue(third);
  return major * 1000000 + minor * 10000 + patch * 100 + build;
}

Status CheckVersionText(std::string_view text) {
  static const std::regex kVersion(R"(\d{1,9}(\.\d{1,9}(\.\d{1,9}(-\d{1,9})?)?)?)");
  if (std::regex_match(text.begin(), text.end(), kVersion)) return Status::Ok();
  return Status::InvalidArgument("\"" + std::string(text) +
                                 "\" is not a version: numbers as MAJOR.MINOR.PATCH, "
                                 "optionally followed by -BUILD");
}

}  // namespace tarvelin
