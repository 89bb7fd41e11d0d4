#include "jobs/traffic/report_dates.h"

#include <charconv>

#include "foundation/date_time.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

bool ParseNumber(std::string_view part, int* out) {
  const std::string text = Trim(part);
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, *out);
  return error == std::errc() && stop == end;
}

}  // namespace

std::optional<double> ParseReportDate(std::string_view text) {
  const size_t first = text.find('/');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t second = text.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  CivilDate date;
  if (!ParseNumber(text.substr(0, first), &date.year) ||
      !ParseNumber(text.substr(first + 1, second - first - 1), &date.month) ||
      !ParseNumber(text.substr(second + 1), &date.day)) {
    return std::nullopt;
  }
  double value = 0;
  if (!EncodeDate(date, &value)) return std::nullopt;
  return value;
}

double ReportDateOrZero(std::string_view text) { return ParseReportDate(text).value_or(0.0); }

std::string FormatReportDateTime(double value) {
  CivilDateTime when;
  if (value == 0 || !DecodeDate(value, &when.date) || !DecodeTime(value, &when.time)) return {};
  return FormatDateTime("yyyy/mm/dd hh:nn:ss", when);
}

}  // namespace tarvelin
