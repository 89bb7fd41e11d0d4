#include "core/schedules/schedule_settings.h"

#include <array>
#include <cmath>
#include <cstring>

#include "foundation/bytes.h"
#include "api/c/api_result.h"
#include "core/context.h"
#include "schema/marshal.h"
#include "schema/schedule_layout.h"

namespace tarvelin {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// The field of `field` in `block`, or nullptr for an item outside the block.
template <typename Byte>
Byte* FieldAt(Byte* block, const ScheduleField& field, int32_t item) {
  if (!field.in_item) return block + field.offset;
  if (item < 0 || item >= kScheduleItemCount) return nullptr;
  return block + kScheduleItemsOffset + kScheduleItemSize * item + field.offset;
}

// A stored double as the signed 32-bit number the caller sees; values out
// of range saturate and a NaN reads as 0, so no stored pattern is undefined.
int32_t ToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint32_t AsUnsigned(int32_t value) { return static_cast<uint32_t>(value); }

}  // namespace

int32_t GetScheduleField(const uint8_t* block, int32_t item, int32_t type, void* buffer,
                         int32_t size) {
  const ScheduleField* field = FindScheduleField(type);
  if (field == nullptr) return kResultFailed;
  const uint8_t* at = FieldAt(block, *field, item);
  if (at == nullptr) return kResultFailed;
  switch (field->kind) {
    case ScheduleFieldKind::kFlag:
      return PutFlag(*at, buffer, size);
    case ScheduleFieldKind::kNumber:
      return PutNumber(GetLE(at, field->width), buffer, size);
    case ScheduleFieldKind::kTimeOfDay:
      // Half-way values go to the even second (the default rounding mode).
      return PutNumber(AsUnsigned(ToInt32(std::nearbyint(GetDouble(at) * kSecondsPerDay))), buffer,
                       size);
    case ScheduleFieldKind::kWholeNumber:
      return PutNumber(AsUnsigned(ToInt32(std::trunc(GetDouble(at)))), buffer, size);
    case ScheduleFieldKind::kPacked:
      return PutText(PackRecord(block, kScheduleRecordSize), buffer, size);
  }
  return kResultFailed;
}

int32_t SetScheduleField(uint8_t* block, int32_t item, int32_t type, const void* value,
                         int32_t size) {
  const ScheduleField* field = FindScheduleField(type);
  if (field == nullptr) return kResultFailed;
  // The change is made on a copy: the value may lie inside the block.
  std::array<uint8_t, kScheduleRecordSize> copy;
  std::memcpy(copy.data(), block, copy.size());
  uint8_t* at = FieldAt(copy.data(), *field, item);
  if (at == nullptr) return kResultFailed;
  switch (field->kind) {
    case ScheduleFieldKind::kFlag:
      *at = TakeFlag(value, size);
      break;
    case ScheduleFieldKind::kNumber:
      PutLE(at, field->width, TakeNumber(value, size));
      break;
    case ScheduleFieldKind::kTimeOfDay:
      PutDouble(at, static_cast<int32_t>(TakeNumber(value, size)) / kSecondsPerDay);
      break;
    case ScheduleFieldKind::kWholeNumber:
      PutDouble(at, static_cast<int32_t>(TakeNumber(value, size)));
      break;
    case ScheduleFieldKind::kPacked:
      UnpackRecord(value, size, copy.data(), kScheduleRecordSize);
      break;
  }
  std::memcpy(block, copy.data(), copy.size());
  return 0;
}

int32_t GetScheduleSetting(const Context& context, const void* schedule, int32_t schedule_size,
                           int32_t item, int32_t type, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (schedule == nullptr || schedule_size < kScheduleRecordSize) return kResultBufferTooSmall;
  return GetScheduleField(static_cast<const uint8_t*>(schedule), item, type, buffer, size);
}

int32_t SetScheduleSetting(const Context& context, void* schedule, int32_t schedule_size,
                           int32_t item, int32_t type, const void* value, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (schedule == nullptr || schedule_size < kScheduleRecordSize) return kResultBufferTooSmall;
  return SetScheduleField(static_cast<uint8_t*>(schedule), item, type, value, size);
}

}  // namespace tarvelin
