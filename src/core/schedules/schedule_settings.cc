#include "core/schedules/schedule_settings.h"

#include <string>

#include "schema/field_codec.h"
#include "schema/schedule_layout.h"

namespace tarvelin {

namespace {

// The row of `type` with the start of the item it reaches (of the block for
// the types outside the items), or the failure that names what is unknown.
struct ScheduleTarget {
  const ScheduleField* field = nullptr;
  int base = 0;
};

Status UnknownType(int32_t type) {
  return Status::NotFound("schedule setting type " + std::to_string(type) + " is unknown");
}

Result<ScheduleTarget> Locate(int32_t item, int32_t type) {
  const ScheduleField* field = FindScheduleField(type);
  if (field == nullptr) return UnknownType(type);
  if (!field->in_item) return ScheduleTarget{field, 0};
  if (item < 0 || item >= kScheduleItemCount) {
    return Status::NotFound("schedule item " + std::to_string(item) + " is outside 0 to 6");
  }
  return ScheduleTarget{field, kScheduleItemsOffset + kScheduleItemSize * item};
}

}  // namespace

Result<int32_t> GetScheduleField(const uint8_t* block, int32_t item, int32_t type, void* buffer,
                                 int32_t size) {
  const Result<ScheduleTarget> target = Locate(item, type);
  if (!target.ok()) return target.status();
  return GetField(block + target->base, target->field->slot(), buffer, size);
}

Status SetScheduleField(uint8_t* block, int32_t item, int32_t type, const void* value,
                        int32_t size) {
  const Result<ScheduleTarget> target = Locate(item, type);
  if (!target.ok()) return target.status();
  return SetField(block + target->base, target->field->slot(), value, size);
}

Result<SettingShape> DescribeScheduleSetting(int32_t type) {
  const ScheduleField* field = FindScheduleField(type);
  if (field == nullptr) return UnknownType(type);
  return ShapeOfField(field->slot());
}

Result<SettingValue> ScheduleSettingValue(const uint8_t* block, int32_t item, int32_t type) {
  const Result<SettingShape> shape = DescribeScheduleSetting(type);
  if (!shape.ok()) return shape.status();
  return ReadSettingValue(*shape, [&](void* buffer, int32_t size) {
    return GetScheduleField(block, item, type, buffer, size);
  });
}

Status SetScheduleSettingValue(uint8_t* block, int32_t item, int32_t type,
                               const SettingValue& value) {
  const Result<SettingShape> shape = DescribeScheduleSetting(type);
  if (!shape.ok()) return shape.status();
  return WriteSettingValue(*shape, value, [&](const void* buffer, int32_t size) {
    return SetScheduleField(block, item, type, buffer, size);
  });
}

}  // namespace tarvelin
