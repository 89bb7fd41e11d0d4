#include "platform/posix/local_time.h"

#include <time.h>

namespace tarvelin {

int64_t UnixSecondsNow() {
  // The coarse clock is read without a system call on every clock source;
  // its lag of a tick does not matter at whole seconds.
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec);
}

LocalTime LocalTimeAt(int64_t unix_seconds) {
  const time_t seconds = static_cast<time_t>(unix_seconds);
  tm local{};
  localtime_r(&seconds, &local);
  LocalTime result;
  result.when.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  result.when.time = {local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, 0};
  result.utc_offset_minutes = static_cast<int>(local.tm_gmtoff / 60);
  return result;
}

}  // namespace tarvelin
