// Wall clock and randomness.
#pragma once

#include <cstdint>

#include "foundation/date_time.h"

namespace tarvelin {

// The current local date and time.
CivilDateTime LocalNow();
// A 32-bit random number from the system's generator.
uint32_t RandomUint32();

}  // namespace tarvelin
