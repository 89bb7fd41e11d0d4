#include "platform/posix/monotonic_clock.h"

#include <time.h>

namespace tarvelin {

int64_t MonotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec);
}

}  // namespace tarvelin
