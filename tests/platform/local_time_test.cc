#include "platform/posix/local_time.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cstdlib>

namespace tarvelin {
namespace {

void UseZone(const char* tz) {
  ASSERT_EQ(setenv("TZ", tz, 1), 0);
  tzset();
}

TEST(LocalTime, FollowsTheTimeZone) {
  struct Case {
    const char* tz;
    int64_t seconds;
    CivilDateTime when;
    int offset;
  };
  const Case cases[] = {
      {"UTC0", 0, {{1970, 1, 1}, {0, 0, 0, 0}}, 0},
      {"XYZ-05:30", 0, {{1970, 1, 1}, {5, 30, 0, 0}}, 330},
      {"XYZ+03:30", 0, {{1969, 12, 31}, {20, 30, 0, 0}}, -210},
      {"UTC0", 1709629507, {{2024, 3, 5}, {9, 5, 7, 0}}, 0},
      // Central European rules: winter +1, summer +2.
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1709629507, {{2024, 3, 5}, {10, 5, 7, 0}}, 60},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1720170307, {{2024, 7, 5}, {11, 5, 7, 0}}, 120},
  };
  for (const Case& c : cases) {
    UseZone(c.tz);
    const LocalTime local = LocalTimeAt(c.seconds);
    EXPECT_EQ(local.when.date.year, c.when.date.year) << c.tz;
    EXPECT_EQ(local.when.date.month, c.when.date.month) << c.tz;
    EXPECT_EQ(local.when.date.day, c.when.date.day) << c.tz;
    EXPECT_EQ(local.when.time.hour, c.when.time.hour) << c.tz;
    EXPECT_EQ(local.when.time.minute, c.when.time.minute) << c.tz;
    EXPECT_EQ(local.when.time.second, c.when.time.second) << c.tz;
    EXPECT_EQ(local.utc_offset_minutes, c.offset) << c.tz;
  }
}

TEST(LocalTime, NowIsTheWallClock) {
  const int64_t before = static_cast<int64_t>(time(nullptr));
  const int64_t now = UnixSecondsNow();
  const int64_t after = static_cast<int64_t>(time(nullptr));
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
}

}  // namespace
}  // namespace tarvelin
