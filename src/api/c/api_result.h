// The signed 32-bit results of the plain exports: 0 or more is success (a
// byte count, a count, a position); the negative values below are failures.
// Below the C API failures travel as Status; these numbers exist only here.
#pragma once

#include <cstdint>

#include "foundation/status.h"

namespace tarvelin {

inline constexpr int32_t kResultFailed = -1;          // not found, unknown id, rejected
inline constexpr int32_t kResultBufferTooSmall = -3;  // or a record size below the required one
inline constexpr int32_t kResultNotLoadable = -4;     // Init could not open settings.cfg
inline constexpr int32_t kResultNotInitialised = -5;

// The number of a failed status: -3 for a buffer or record too small, -4
// for a configuration that cannot be loaded, -1 for any other failure; 0
// for an ok status.
inline int32_t ApiResultOf(const Status& status) {
  switch (status.code()) {
    case StatusCode::kOk:
      return 0;
    case StatusCode::kBufferTooSmall:
      return kResultBufferTooSmall;
    case StatusCode::kNotLoadable:
      return kResultNotLoadable;
    default:
      return kResultFailed;
  }
}

// A count, position or byte count, or the number of its failure.
inline int32_t ApiResultOf(const Result<int32_t>& result) {
  return result.ok() ? *result : ApiResultOf(result.status());
}

}  // namespace tarvelin
