// Every export body runs inside Guarded: no exception ever reaches the
// caller; an unexpected one becomes the export's failure value.
#pragma once

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

}  // namespace tarvelin
