#include "core/schedules/config_schedules.h"

#include <gtest/gtest.h>

#include "core/context.h"
#include "core/schedules/schedule_settings.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

TEST(ConfigSchedulesTest, EachScheduleSettingHoldsItsOwnBlock) {
  Context context;
  for (int id : kConfigScheduleIds) {
    ScheduleRecord block = *ConfigSchedule(context, id);
    ASSERT_TRUE(SetScheduleSettingValue(block.data(), 2, 11, SettingValue::Number(id)).ok());
    ASSERT_TRUE(SetConfigSchedule(context, id, block).ok()) << id;
  }
  for (int id : kConfigScheduleIds) {
    const Result<ScheduleRecord> block = ConfigSchedule(context, id);
    ASSERT_TRUE(block.ok()) << id;
    EXPECT_EQ(ScheduleSettingValue(block->data(), 2, 11)->number(), id);
  }
  EXPECT_TRUE(context.api.config_changed);
}

TEST(ConfigSchedulesTest, OtherSettingsAreNoSchedules) {
  Context context;
  const ScheduleRecord block{};
  for (int id : {148, 150, 27, 4097}) {
    EXPECT_EQ(ConfigSchedule(context, id).status(), StatusCode::kNotFound) << id;
    EXPECT_EQ(SetConfigSchedule(context, id, block), StatusCode::kNotFound) << id;
  }
  EXPECT_FALSE(context.api.config_changed);
}

}  // namespace
}  // namespace tarvelin
