// The local time of the wall clock (LocalTime, env.h). Cheap to ask for
// the current second, so hot paths can convert only when the second
// changes.
#pragma once

#include <cstdint>

#include "platform/env.h"

namespace tarvelin {

// Whole seconds since 1970-01-01 UTC, cheap enough to ask for every entry.
int64_t UnixSecondsNow();
// The local calendar time of that second under the current TZ rules. A leap
// second is folded into second 59.
LocalTime LocalTimeAt(int64_t unix_seconds);

}  // namespace tarvelin
