// The signed 32-bit results of the plain exports: 0 or more is success (a
// byte count, a count, a position); the negative values below are failures.
#pragma once

#include <cstdint>

namespace tarvelin {

inline constexpr int32_t kResultFailed = -1;          // not found, unknown id, rejected
inline constexpr int32_t kResultBufferTooSmall = -3;  // or a record size below the required one
inline constexpr int32_t kResultNotLoadable = -4;     // Init could not open settings.cfg
inline constexpr int32_t kResultNotInitialised = -5;

}  // namespace tarvelin
