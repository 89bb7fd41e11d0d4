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

// `body(context)`; `not_initialised` before Init, `on_error` when the body
// throws. The automation objects call the exports this way on their
// server's Context.
template <typename Result, typename Body>
Result OnInitialisedIn(Context& context, Result not_initialised, Result on_error,
                       Body body) noexcept {
  return Guarded(on_error, [&]() -> Result {
    if (!context.api.initialised) return not_initialised;
    return body(context);
  });
}

// The same on the process's Context.
template <typename Result, typename Body>
Result OnInitialised(Result not_initialised, Result on_error, Body body) noexcept {
  return Guarded(on_error, [&]() -> Result {
    return OnInitialisedIn(TheContext(), not_initialised, on_error, body);
  });
}

// The common case on a given Context: kResultNotInitialised before Init,
// kResultFailed on a throw.
template <typename Body>
int32_t OnInitialisedIn(Context& context, Body body) noexcept {
  return OnInitialisedIn<int32_t>(context, kResultNotInitialised, kResultFailed, body);
}

// The common case: kResultNotInitialised before Init, kResultFailed on a
// throw.
template <typename Body>
int32_t OnInitialised(Body body) noexcept {
  return OnInitialised<int32_t>(kResultNotInitialised, kResultFailed, body);
}

}  // namespace tarvelin
