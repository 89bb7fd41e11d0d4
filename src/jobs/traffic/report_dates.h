// The dates of the traffic report: the range ends as callers write them
// ("yyyy/m/d") and the date-times of its lines ("yyyy/mm/dd hh:nn:ss").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

// "year/month/day", each part a decimal number (spaces around a part
// allowed); nothing when the text is no valid date.
std::optional<double> ParseReportDate(std::string_view text);

// As the report reads its range: a text that is no valid date is the date
// zero (30 December 1899).
double ReportDateOrZero(std::string_view text);

// Empty for exactly 0, and for a value that is no date-time of the years 1
// to 9999 (NaN, infinite, far out of range).
std::string FormatReportDateTime(double value);

}  // namespace tarvelin
