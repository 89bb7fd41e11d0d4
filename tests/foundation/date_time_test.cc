#include "foundation/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <tuple>

namespace tarvelin {
namespace {

constexpr double kMsPerDay = 86400000.0;

std::tuple<int, int, int> Parts(const CivilDate& d) { return {d.year, d.month, d.day}; }
std::tuple<int, int, int, int> Parts(const CivilTime& t) {
  return {t.hour, t.minute, t.second, t.millisecond};
}

TEST(DateTimeTest, KnownDays) {
  const struct {
    CivilDate date;
    double value;
  } cases[] = {
      {{1899, 12, 30}, 0.0},     {{1899, 12, 31}, 1.0},   {{1900, 1, 1}, 2.0},
      {{1899, 12, 29}, -1.0},    {{1970, 1, 1}, 25569.0}, {{2000, 1, 1}, 36526.0},
      {{2024, 2, 29}, 45351.0},  {{1, 1, 1}, -693593.0},  {{9999, 12, 31}, 2958465.0},
      {{1600, 3, 1}, -109511.0},
  };
  for (const auto& c : cases) {
    double value = 1e9;
    ASSERT_TRUE(EncodeDate(c.date, &value)) << c.date.year << "-" << c.date.month;
    EXPECT_EQ(value, c.value) << c.date.year << "-" << c.date.month << "-" << c.date.day;
    CivilDate decoded;
    ASSERT_TRUE(DecodeDate(c.value, &decoded));
    EXPECT_EQ(Parts(decoded), Parts(c.date)) << c.value;
  }
}

TEST(DateTimeTest, InvalidDatesAreRefused) {
  const CivilDate cases[] = {
      {2024, 2, 30}, {2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 0, 1},
      {2024, 13, 1}, {2024, 1, 0},  {2024, 1, 32}, {0, 12, 31},   {10000, 1, 1},
  };
  for (const auto& date : cases) {
    double value = 0;
    EXPECT_FALSE(EncodeDate(date, &value)) << date.year << "-" << date.month << "-" << date.day;
  }
  double value = 0;
  EXPECT_TRUE(EncodeDate({2000, 2, 29}, &value));
}

TEST(DateTimeTest, EveryDayOfTheRangeRoundTripsInOrder) {
  CivilDate previous{0, 0, 0};
  for (int64_t n = -693593; n <= 2958465; ++n) {
    CivilDate date;
    double value = 0;
    // Plain checks inside the loop keep its three million rounds quick.
    if (!DecodeDate(static_cast<double>(n), &date) || !EncodeDate(date, &value) ||
        value != static_cast<double>(n) || !(Parts(previous) < Parts(date))) {
      FAIL() << "day " << n << " decodes to " << date.year << "-" << date.month << "-" << date.day
             << " and encodes to " << value;
    }
    previous = date;
  }
  EXPECT_EQ(Parts(previous), std::make_tuple(9999, 12, 31));
}

TEST(DateTimeTest, DecodeDateOutsideTheRangeFails) {
  const double cases[] = {-693594.0,
                          2958466.0,
                          1e300,
                          -1e300,
                          std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
  for (double value : cases) {
    CivilDate date;
    EXPECT_FALSE(DecodeDate(value, &date)) << value;
  }
  CivilDate date;
  EXPECT_TRUE(DecodeDate(2958465.99, &date));
  EXPECT_TRUE(DecodeDate(-693593.99, &date));
  EXPECT_EQ(Parts(date), std::make_tuple(1, 1, 1));
}

TEST(DateTimeTest, DecodeTimeOfKnownValues) {
  const struct {
    double value;
    CivilTime time;
  } cases[] = {
      {0.0, {0, 0, 0, 0}},
      {0.5, {12, 0, 0, 0}},
      {0.25, {6, 0, 0, 0}},
      {45351.75, {18, 0, 0, 0}},
      {-1.25, {6, 0, 0, 0}},
      {-0.5, {12, 0, 0, 0}},
      {(3600000.0 + 60000 + 1000 + 1) / kMsPerDay, {1, 1, 1, 1}},
  };
  for (const auto& c : cases) {
    CivilTime time;
    ASSERT_TRUE(DecodeTime(c.value, &time)) << c.value;
    EXPECT_EQ(Parts(time), Parts(c.time)) << c.value;
  }
}

TEST(DateTimeTest, NegativeValuesCountTheTimeFromTheirDay) {
  CivilDate date;
  ASSERT_TRUE(DecodeDate(-1.25, &date));
  EXPECT_EQ(Parts(date), std::make_tuple(1899, 12, 29));
  ASSERT_TRUE(DecodeDate(-0.25, &date));
  EXPECT_EQ(Parts(date), std::make_tuple(1899, 12, 30));
}

TEST(DateTimeTest, RoundingNearMidnightMovesToTheNextDay) {
  const struct {
    double value;
    CivilDate date;
    CivilTime time;
  } cases[] = {
      // Within half a millisecond of midnight: the next day begins.
      {45351 + (kMsPerDay - 0.3) / kMsPerDay, {2024, 3, 1}, {0, 0, 0, 0}},
      {(kMsPerDay - 0.4) / kMsPerDay, {1899, 12, 31}, {0, 0, 0, 0}},
      // Further away: the last millisecond of the day.
      {45351 + (kMsPerDay - 0.7) / kMsPerDay, {2024, 2, 29}, {23, 59, 59, 999}},
      {45351 + (kMsPerDay - 1.4) / kMsPerDay, {2024, 2, 29}, {23, 59, 59, 999}},
      // Next to -2.0, which is 1899-12-28 00:00.
      {-1.9999999999, {1899, 12, 28}, {0, 0, 0, 0}},
      {45351 + 0.4 / kMsPerDay, {2024, 2, 29}, {0, 0, 0, 0}},
      {45351 + 0.6 / kMsPerDay, {2024, 2, 29}, {0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    CivilDate date;
    CivilTime time;
    ASSERT_TRUE(DecodeDate(c.value, &date));
    ASSERT_TRUE(DecodeTime(c.value, &time));
    EXPECT_EQ(Parts(date), Parts(c.date)) << std::setprecision(17) << c.value;
    EXPECT_EQ(Parts(time), Parts(c.time)) << std::setprecision(17) << c.value;
  }
}

TEST(DateTimeTest, DecodeTimeRejectsNonFiniteValues) {
  CivilTime time;
  EXPECT_FALSE(DecodeTime(std::numeric_limits<double>::quiet_NaN(), &time));
  EXPECT_FALSE(DecodeTime(std::numeric_limits<double>::infinity(), &time));
}

TEST(DateTimeTest, EncodeTimeChecksEveryPart) {
  const struct {
    CivilTime time;
    bool valid;
  } cases[] = {
      {{0, 0, 0, 0}, true},   {{23, 59, 59, 999}, true}, {{24, 0, 0, 0}, false},
      {{-1, 0, 0, 0}, false}, {{0, 60, 0, 0}, false},    {{0, -1, 0, 0}, false},
      {{0, 0, 60, 0}, false}, {{0, 0, -1, 0}, false},    {{0, 0, 0, 1000}, false},
      {{0, 0, 0, -1}, false},
  };
  for (const auto& c : cases) {
    double value = 0;
    EXPECT_EQ(EncodeTime(c.time, &value), c.valid)
        << c.time.hour << ":" << c.time.minute << ":" << c.time.second << "." << c.time.millisecond;
  }
  double value = 0;
  ASSERT_TRUE(EncodeTime({12, 0, 0, 0}, &value));
  EXPECT_EQ(value, 0.5);
}

// Times survive being added to the day numbers at both ends of the range.
TEST(DateTimeTest, TimeRoundTripsOnFarDays) {
  for (double day : {0.0, 45351.0, 2958465.0}) {
    for (int ms = 0; ms < 86400000; ms += 997) {
      const CivilTime time{ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
      double fraction = 0;
      ASSERT_TRUE(EncodeTime(time, &fraction));
      CivilTime decoded;
      CivilDate date;
      ASSERT_TRUE(DecodeTime(day + fraction, &decoded));
      ASSERT_TRUE(DecodeDate(day + fraction, &date));
      ASSERT_EQ(Parts(decoded), Parts(time)) << day << " + " << ms;
      double back = 0;
      ASSERT_TRUE(EncodeDate(date, &back));
      ASSERT_EQ(back, day);
    }
  }
}

TEST(DateTimeTest, FormatPictures) {
  const CivilDateTime when{{2024, 2, 9}, {7, 5, 3, 42}};  // a Friday
  const struct {
    const char* picture;
    const char* expected;
  } cases[] = {
      {"yyyymmdd", "20240209"},
      {"yyyy-mm-dd", "2024-02-09"},
      {"mmsshhddnn", "0203070905"},
      {"hh:mm", "07:05"},
      {"hh:nn:ss.zzz", "07:05:03.042"},
      {"h:m:s z", "7:5:3 42"},
      {"d/m/yy", "9/2/24"},
      {"dd mmm yyyy", "09 Feb 2024"},
      {"dddd, mmmm d", "Friday, February 9"},
      {"ddd", "Fri"},
      {"YYYY-MM-DD HH:NN", "2024-02-09 07:05"},
      {"HH:MM", "07:05"},
      {"yyyy'y-m-d'mm", "2024y-m-d02"},
      {"\"hh\" hh", "hh 07"},
      {"'unterminated hh", "unterminated hh"},
      {"[yyyy] at", "[2024] at"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDateTime(c.picture, when), c.expected) << c.picture;
  }
}

TEST(DateTimeTest, FormatYearsAndWeekdaysAtTheEdges) {
  const struct {
    CivilDate date;
    const char* expected;
  } cases[] = {
      {{1, 1, 1}, "0001 01 Monday"},
      {{1899, 12, 30}, "1899 99 Saturday"},
      {{2005, 7, 4}, "2005 05 Monday"},
      {{9999, 12, 31}, "9999 99 Friday"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDateTime("yyyy yy dddd", {c.date, {}}), c.expected) << c.date.year;
  }
}

}  // namespace
}  // namespace tarvelin
