// The date-time double of the records: whole days since 30 December 1899,
// the time of day as the fraction.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

struct CivilDate {
  int year = 0, month = 0, day = 0;
};
struct CivilTime {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};
struct CivilDateTime {
  CivilDate date;
  CivilTime time;
};

// Days of the valid date (years 1 to 9999); false for an invalid date.
bool EncodeDate(const CivilDate& date, double* out);
// Fraction of the day; false when a part is out of range.
bool EncodeTime(const CivilTime& time, double* out);
// Calendar date of the whole-day part; false for values before year 1,
// after 9999, or not finite.
bool DecodeDate(double value, CivilDate* out);
// Time of day of the fraction (rounded to the millisecond); false when the
// value is not finite.
bool DecodeTime(double value, CivilTime* out);

// Formats with the picture letters of the server's date stamps:
// yyyy/yy (year), m/mm (month, or minutes right after an hour), mmm/mmmm
// (month name), d/dd (day), ddd/dddd (weekday name), h/hh (hour), n/nn
// (minutes), s/ss (seconds), z/zzz (milliseconds), text in '...' or "..."
// as it stands; every other character is copied.
std::string FormatDateTime(std::string_view picture, const CivilDateTime& when);

}  // namespace tarvelin
