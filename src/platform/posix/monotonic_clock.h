// A clock that only moves forward, for ages of cached entries: changes of
// the wall clock (by the administrator or by time synchronisation) never
// make an entry look younger or older than it is.
#pragma once

#include <cstdint>

namespace tarvelin {

// Whole seconds since an arbitrary start; never decreases.
int64_t MonotonicSeconds();

}  // namespace tarvelin
