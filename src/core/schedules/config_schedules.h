// The schedules of the global configuration: the settings whose value is a
// whole schedule block (schema/schedule_layout.h, kConfigScheduleIds).
#pragma once

#include <cstdint>

#include "foundation/status.h"
#include "schema/schedule_layout.h"

namespace tarvelin {

class Context;

// The block of setting `id`; NotFound for an id that is no schedule.
Result<ScheduleRecord> ConfigSchedule(Context& context, int32_t id);
// Stores the block as the setting's value (in memory, raising the changed
// flag as every set does); NotFound for an id that is no schedule.
Status SetConfigSchedule(Context& context, int32_t id, const ScheduleRecord& block);

}  // namespace tarvelin
