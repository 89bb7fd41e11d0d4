// The local wall clock as the records store dates: a date-time double
// (foundation/date_time.h).
#pragma once

#include "platform/env.h"

namespace tarvelin {

double LocalNowAsDateTime(Env& env);

}  // namespace tarvelin
