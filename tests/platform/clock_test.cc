#include "platform/posix/clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cmath>
#include <set>
#include <string>

#include "platform/local_now.h"
#include "platform/posix_env.h"

namespace tarvelin {
namespace {

// Sets TZ for the scope of the object and restores it afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    const char* old = getenv("TZ");
    had_old_ = old != nullptr;
    if (had_old_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (had_old_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_old_ = false;
  std::string old_;
};

double Encode(const CivilDateTime& when) {
  double date = 0, time = 0;
  EXPECT_TRUE(EncodeDate(when.date, &date));
  EXPECT_TRUE(EncodeTime(when.time, &time));
  return date + time;
}

TEST(ClockTest, LocalNowFollowsTheTimeZone) {
  double utc, ahead;
  {
    ScopedTimeZone zone("UTC0");
    utc = Encode(LocalNow());
  }
  {
    ScopedTimeZone zone("XYZ-3");  // three hours east of UTC
    ahead = Encode(LocalNow());
  }
  // Three hours apart, give or take the moment between the two readings.
  EXPECT_NEAR((ahead - utc) * 24, 3.0, 0.1);
}

TEST(ClockTest, LocalNowAsDateTimeEncodesLocalNow) {
  ScopedTimeZone zone("UTC0");
  PosixEnv env;
  const double before = Encode(LocalNow());
  const double now = LocalNowAsDateTime(env);
  const double after = Encode(LocalNow());
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
  // The value is a day of this century.
  EXPECT_GT(now, 36526.0);
  EXPECT_LT(now, 73051.0);
}

TEST(ClockTest, RandomNumbersVary) {
  std::set<uint32_t> seen;
  for (int i = 0; i < 8; ++i) seen.insert(RandomUint32());
  EXPECT_GT(seen.size(), 1u);
}

}  // namespace
}  // namespace tarvelin
