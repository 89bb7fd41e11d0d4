#include "api/c/date_buffers.h"

#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "api/c/api_result.h"

namespace tarvelin {

namespace {

constexpr int32_t kDateSize = 8;

int Part(int32_t value) { return static_cast<uint16_t>(value); }

void Set(int32_t* out, int value) {
  if (out != nullptr) *out = value;
}

}  // namespace

int32_t SetBufferDate(void* buffer, int32_t size, int32_t year, int32_t month, int32_t day) {
  if (buffer == nullptr || size < kDateSize) return kResultBufferTooSmall;
  double value = 0.0;
  if (!EncodeDate({Part(year), Part(month), Part(day)}, &value)) value = 0.0;
  PutDouble(static_cast<uint8_t*>(buffer), value);
  return 0;
}

int32_t SetBufferTime(void* buffer, int32_t size, int32_t hour, int32_t minute, int32_t second,
                      int32_t millisecond) {
  if (buffer == nullptr || size < kDateSize) return kResultBufferTooSmall;
  double value = 0.0;
  if (!EncodeTime({Part(hour), Part(minute), Part(second), Part(millisecond)}, &value)) {
    value = 0.0;
  }
  PutDouble(static_cast<uint8_t*>(buffer), value);
  return 0;
}

int32_t GetBufferDate(const void* buffer, int32_t size, int32_t* year, int32_t* month,
                      int32_t* day) {
  Set(year, 0);
  Set(month, 0);
  Set(day, 0);
  if (buffer == nullptr || size < kDateSize) return kResultBufferTooSmall;
  CivilDate date;
  if (DecodeDate(GetDouble(static_cast<const uint8_t*>(buffer)), &date)) {
    Set(year, date.year);
    Set(month, date.month);
    Set(day, date.day);
  }
  return 0;
}

int32_t GetBufferTime(const void* buffer, int32_t size, int32_t* hour, int32_t* minute,
                      int32_t* second, int32_t* millisecond) {
  Set(hour, 0);
  Set(minute, 0);
  Set(second, 0);
  Set(millisecond, 0);
  if (buffer == nullptr || size < kDateSize) return kResultBufferTooSmall;
  CivilTime time;
  if (DecodeTime(GetDouble(static_cast<const uint8_t*>(buffer)), &time)) {
    Set(hour, time.hour);
    Set(minute, time.minute);
    Set(second, time.second);
    Set(millisecond, time.millisecond);
  }
  return 0;
}

}  // namespace tarvelin
