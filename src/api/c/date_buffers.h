// The 8-byte date-time values of settings, built and read part by part:
// whole days since 1899-12-30, the time of day as the fraction. None of
// these needs an initialised library.
#pragma once

#include <cstdint>

namespace tarvelin {

// The date parts are taken as 16-bit numbers. Writes the date's value, or
// 0.0 for an invalid date (years 1 to 9999). 0, or -3 when `size` is below
// 8 or `buffer` is null (nothing written).
int32_t SetBufferDate(void* buffer, int32_t size, int32_t year, int32_t month, int32_t day);
// The same for a time of day (hour < 24, minute and second < 60,
// millisecond < 1000).
int32_t SetBufferTime(void* buffer, int32_t size, int32_t hour, int32_t minute, int32_t second,
                      int32_t millisecond);
// Sets every given output to 0, then decodes the first 8 bytes; a value
// that cannot be decoded (or lies before year 1) leaves them 0. 0, or -3
// when `size` is below 8. Null outputs are skipped.
int32_t GetBufferDate(const void* buffer, int32_t size, int32_t* year, int32_t* month,
                      int32_t* day);
int32_t GetBufferTime(const void* buffer, int32_t size, int32_t* hour, int32_t* minute,
                      int32_t* second, int32_t* millisecond);

}  // namespace tarvelin
