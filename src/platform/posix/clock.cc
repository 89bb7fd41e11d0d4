#include "platform/posix/clock.h"

#include <sys/random.h>
#include <time.h>

#include <cerrno>

namespace tarvelin {

CivilDateTime LocalNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  CivilDateTime when;
  when.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  // A leap second (tm_sec 60) is folded into the last ordinary second.
  when.time = {local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
               static_cast<int>(now.tv_nsec / 1000000)};
  return when;
}

uint32_t RandomUint32() {
  uint32_t value = 0;
  uint8_t* p = reinterpret_cast<uint8_t*>(&value);
  size_t filled = 0;
  while (filled < sizeof(value)) {
    const ssize_t got = getrandom(p + filled, sizeof(value) - filled, 0);
    if (got > 0) {
      filled += static_cast<size_t>(got);
    } else if (got < 0 && errno != EINTR) {
      break;
    }
  }
  return value;
}

}  // namespace tarvelin
