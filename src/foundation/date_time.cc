#include "foundation/date_time.h"

#include <cctype>
#include <cmath>
#include <cstdint>

namespace tarvelin {

namespace {

constexpr double kMsPerDay = 86400000.0;
// Day numbers of 0001-01-01 and 9999-12-31.
constexpr int64_t kFirstDay = -693593;
constexpr int64_t kLastDay = 2958465;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1899-12-30 in the proleptic Gregorian calendar, counted in
// 400-year eras that start on 1 March so the leap day falls last.
int64_t DayNumber(int year, int month, int day) {
  const int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468 + 25569;
}

CivilDate DateOfDayNumber(int64_t number) {
  const int64_t z = number - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = static_cast<int>(year_of_era + era * 400 + (date.month <= 2 ? 1 : 0));
  return date;
}

// Splits a finite value into its day and its time of day in milliseconds.
// The fraction is rounded first; a fraction that rounds to a full day moves
// the value to the next day's midnight, away from day zero as the value's
// sign says (-0.9999999999 lies next to -1.0, i.e. 1899-12-29 00:00).
void SplitValue(double value, double* day, int64_t* ms) {
  double whole = std::trunc(value);
  double rounded = std::round(std::fabs(value - whole) * kMsPerDay);
  if (rounded >= kMsPerDay) {
    rounded = 0;
    whole += value < 0 ? -1 : 1;
  }
  *day = whole;
  *ms = static_cast<int64_t>(rounded);
}

void AppendNumber(std::string* out, int value, int min_digits) {
  const std::string digits = std::to_string(value);
  if (digits.size() < static_cast<size_t>(min_digits)) out->append(min_digits - digits.size(), '0');
  out->append(digits);
}

constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};
constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

// Full or three-letter name; empty for a number outside the table.
void AppendName(std::string* out, const char* const* names, int count, int index, bool full) {
  if (index < 0 || index >= count) return;
  const std::string_view name = names[index];
  out->append(full ? name : name.substr(0, 3));
}

}  // namespace

bool EncodeDate(const CivilDate& date, double* out) {
  if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month)) {
    return false;
  }
  *out = static_cast<double>(DayNumber(date.year, date.month, date.day));
  return true;
}

bool EncodeTime(const CivilTime& time, double* out) {
  if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
      time.second > 59 || time.millisecond < 0 || time.millisecond > 999) {
    return false;
  }
  const int64_t ms =
      ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
  *out = static_cast<double>(ms) / kMsPerDay;
  return true;
}

bool DecodeDate(double value, CivilDate* out) {
  if (!std::isfinite(value)) return false;
  double day;
  int64_t ms;
  SplitValue(value, &day, &ms);
  if (day < kFirstDay || day > kLastDay) return false;
  *out = DateOfDayNumber(static_cast<int64_t>(day));
  return true;
}

bool DecodeTime(double value, CivilTime* out) {
  if (!std::isfinite(value)) return false;
  double day;
  int64_t ms;
  SplitValue(value, &day, &ms);
  out->millisecond = static_cast<int>(ms % 1000);
  out->second = static_cast<int>(ms / 1000 % 60);
  out->minute = static_cast<int>(ms / 60000 % 60);
  out->hour = static_cast<int>(ms / 3600000);
  return true;
}

std::string FormatDateTime(std::string_view picture, const CivilDateTime& when) {
  const CivilDate& date = when.date;
  const CivilTime& time = when.time;
  std::string out;
  bool after_hour = false;  // an "m" that follows an hour means minutes
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'' || c == '"') {
      const size_t close = picture.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? picture.size() : close;
      out.append(picture.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? end : close + 1;
      continue;
    }
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t run = 1;
    while (i + run < picture.size() &&
           std::tolower(static_cast<unsigned char>(picture[i + run])) == letter) {
      ++run;
    }
    bool token = true;
    switch (letter) {
      case 'y':
        if (run >= 3) {
          AppendNumber(&out, date.year, 4);
        } else {
          AppendNumber(&out, (date.year % 100 + 100) % 100, 2);
        }
        break;
      case 'm':
        if (run >= 3) {
          AppendName(&out, kMonthNames, 12, date.month - 1, run >= 4);
        } else {
          AppendNumber(&out, after_hour ? time.minute : date.month, static_cast<int>(run));
        }
        break;
      case 'd':
        if (run >= 3) {
          const int64_t weekday = ((DayNumber(date.year, date.month, date.day) + 6) % 7 + 7) % 7;
          AppendName(&out, kDayNames, 7, static_cast<int>(weekday), run >= 4);
        } else {
          AppendNumber(&out, date.day, static_cast<int>(run));
        }
        break;
      case 'h':
        AppendNumber(&out, time.hour, run >= 2 ? 2 : 1);
        break;
      case 'n':
        AppendNumber(&out, time.minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        AppendNumber(&out, time.second, run >= 2 ? 2 : 1);
        break;
      case 'z':
        AppendNumber(&out, time.millisecond, run >= 3 ? 3 : 1);
        break;
      default:
        token = false;
        break;
    }
    if (token) {
      after_hour = letter == 'h';
      i += run;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace tarvelin
