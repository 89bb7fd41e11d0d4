#include "platform/posix/unix_time.h"

#include <time.h>

namespace tarvelin {

int64_t UnixTimeNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace tarvelin
