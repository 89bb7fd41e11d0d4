// The local time of the wall clock, split into calendar fields, with the
// time zone's offset at that moment. Cheap to ask for the current second,
// so hot paths can convert only when the second changes.
#pragma once

#include <cstdint>

#include "foundation/date_time.h"

namespace tarvelin {

struct LocalTime {
  CivilDateTime when;          // milliseconds are always 0
  int utc_offset_minutes = 0;  // east of UTC is positive
};

// Whole seconds since 1970-01-01 UTC, cheap enough to ask for every entry.
int64_t UnixSecondsNow();
// The local calendar time of that second under the current TZ rules. A leap
// second is folded into second 59.
LocalTime LocalTimeAt(int64_t unix_seconds);

}  // namespace tarvelin
