#include "core/schedules/config_schedules.h"

#include <algorithm>
#include <string>

#include "core/config/config_variables.h"

namespace tarvelin {

namespace {

Status CheckScheduleId(int32_t id) {
  if (std::find(kConfigScheduleIds.begin(), kConfigScheduleIds.end(), id) !=
      kConfigScheduleIds.end()) {
    return Status::Ok();
  }
  return Status::NotFound("configuration setting " + std::to_string(id) +
                          " is no schedule (149, 321, 355, 374, 382 or 431)");
}

}  // namespace

Result<ScheduleRecord> ConfigSchedule(Context& context, int32_t id) {
  TARVELIN_RETURN_IF_ERROR(CheckScheduleId(id));
  ScheduleRecord block{};
  const Result<int32_t> read = GetConfigSetting(context, id, block.data(), kScheduleRecordSize);
  if (!read.ok()) return read.status();
  return block;
}

Status SetConfigSchedule(Context& context, int32_t id, const ScheduleRecord& block) {
  TARVELIN_RETURN_IF_ERROR(CheckScheduleId(id));
  return SetConfigSetting(context, id, block.data(), kScheduleRecordSize);
}

}  // namespace tarvelin
