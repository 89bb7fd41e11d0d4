#include "jobs/traffic/report_dates.h"

#include <gtest/gtest.h>

#include <limits>

#include "foundation/date_time.h"

namespace tarvelin {
namespace {

double Day(int year, int month, int day) {
  double value = 0;
  EncodeDate({year, month, day}, &value);
  return value;
}

TEST(ReportDatesTest, RangeEndsAreYearMonthDayOrNothing) {
  struct Case {
    const char* text;
    double day;  // 0 for no date
  };
  const Case cases[] = {
      {"2006/03/31", Day(2006, 3, 31)},
      {"2006/3/1", Day(2006, 3, 1)},
      {" 2006 / 3 / 1 ", Day(2006, 3, 1)},
      {"0001/1/1", Day(1, 1, 1)},
      {"9999/12/31", Day(9999, 12, 31)},
      {"2004/2/29", Day(2004, 2, 29)},
      {"2006/2/29", 0},
      {"2006/13/1", 0},
      {"2006/0/1", 0},
      {"0/1/1", 0},
      {"2006/3", 0},
      {"2006-03-31", 0},
      {"2006/3/1/2", 0},
      {"2006/3/1x", 0},
      {"2006//1", 0},
      {"+2006/3/1", 0},
      {"99999999999/1/1", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReportDateOrZero(c.text), c.day) << c.text;
    EXPECT_EQ(ParseReportDate(c.text).has_value(), c.day != 0) << c.text;
  }
}

TEST(ReportDatesTest, DateTimesAreWrittenWithSecondsAndZeroIsEmpty) {
  double time = 0;
  EncodeTime({13, 5, 9, 0}, &time);
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, ""},
      {Day(2006, 3, 31) + time, "2006/03/31 13:05:09"},
      {Day(2006, 3, 31), "2006/03/31 00:00:00"},
      {Day(5, 1, 2), "0005/01/02 00:00:00"},
      {Day(2006, 3, 31) + 0.9999999999, "2006/04/01 00:00:00"},
      {std::numeric_limits<double>::quiet_NaN(), ""},
      {std::numeric_limits<double>::infinity(), ""},
      {-1e300, ""},
      {1e300, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatReportDateTime(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace tarvelin
