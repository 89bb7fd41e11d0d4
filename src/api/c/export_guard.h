// Every export body runs inside Guarded: no exception ever reaches the
// caller; an unexpected one becomes the export's failure value. Exports
// that need an open installation run through OnInitialised, the one place
// that answers "not initialised".
#pragma once

#include <cstdint>

#include "api/c/api_result.h"
#include "api/c/the_context.h"

namespace tarvelin {

template <typename Result, typename Body>
Result Guarded(Result on_error, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return on_error;
  }
}

template <typename Body>
void GuardedVoid(Body body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// `body(context)` on the process's Context; `not_initialised` before Init,
// `on_error` when the body throws.
template <typename Result, typename Body>
Result OnInitialised(Result not_initialised, Result on_error, Body body) noexcept {
  return Guarded(on_error, [&]() -> Result {
    Context& context = TheContext();
    if (!context.api.initialised) return not_initialised;
    return body(context);
  });
}

// The common case: kResultNotInitialised before Init, kResultFailed on a
// throw.
template <typename Body>
int32_t OnInitialised(Body body) noexcept {
  return OnInitialised<int32_t>(kResultNotInitialised, kResultFailed, body);
}

}  // namespace tarvelin
