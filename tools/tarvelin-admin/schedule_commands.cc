// `schedule ...`: the schedules of the global configuration, item by item.
#include <string>

#include "cli_context.h"
#include "cli_values.h"
#include "core/config/config_save.h"
#include "core/schedules/config_schedules.h"
#include "core/schedules/schedule_settings.h"
#include "schema/schedule_layout.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kFlagType = 0, kPackedType = 15;

SettingValue ValueOf(const ScheduleRecord& block, int32_t item, int32_t type) {
  return Checked(ScheduleSettingValue(block.data(), item, type));
}

void ScheduleShow(Session& session, int32_t id) {
  const ScheduleRecord block = Checked(ConfigSchedule(session.context(), id));
  const nlohmann::json flag = JsonOf(ValueOf(block, 0, kFlagType));
  const int count = ScheduleItemsInUse(block);
  nlohmann::json items = nlohmann::json::array();
  std::string human = "flag " + HumanText(flag) + ", " + std::to_string(count) + " items in use\n";
  for (int32_t item = 0; item < kScheduleItemCount; ++item) {
    nlohmann::json values = nlohmann::json::object();
    human += "item " + std::to_string(item);
    for (const ScheduleField& field : ScheduleFields()) {
      if (!field.in_item) continue;
      const SettingValue value = ValueOf(block, item, field.type);
      values[std::to_string(field.type)] = JsonOf(value);
      human += " " + std::to_string(field.type) + "=" + HumanOf(value);
    }
    items.push_back({{"item", item}, {"types", values}});
    human += "\n";
  }
  // The packed block travels to another schedule with type 15.
  const nlohmann::json packed = JsonOf(ValueOf(block, 0, kPackedType));
  session.out.Emit(
      {{"id", id}, {"flag", flag}, {"count", count}, {"items", items}, {"packed", packed}}, human);
}

void ScheduleSet(Session& session, int32_t id, int32_t item, int32_t type,
                 const std::string& text) {
  Context& context = session.context();
  const SettingShape shape = Checked(DescribeScheduleSetting(type));
  const SettingValue value = ValueOfText(shape, text);
  ScheduleRecord block = Checked(ConfigSchedule(context, id));
  Check(SetScheduleSettingValue(block.data(), item, type, value));
  Check(SetConfigSchedule(context, id, block));
  SaveConfig(context);
  const SettingValue stored = ValueOf(block, item, type);
  session.out.Emit(
      {{"id", id}, {"item", item}, {"type", type}, {"value", JsonOf(stored)}, {"saved", true}},
      std::to_string(type) + " = " + HumanOf(stored));
}

}  // namespace

void RegisterScheduleCommands(CLI::App& app, Session& session) {
  CLI::App* schedule = app.add_subcommand("schedule", "Schedules of the global configuration");
  schedule->require_subcommand(1);
  static int32_t id = 0;
  static int32_t item = 0;
  static int32_t type = 0;
  static std::string value;

  CLI::App* show = schedule->add_subcommand("show", "Show a schedule item by item");
  show->add_option("ID", id, "Configuration setting id of the schedule")->required();
  show->callback([&session] {
    session.Open();
    ScheduleShow(session, id);
  });

  CLI::App* set = schedule->add_subcommand("set", "Change one field of a schedule and save it");
  set->add_option("ID", id, "Configuration setting id of the schedule")->required();
  set->add_option("ITEM", item, "Item 0 to 6 (ignored by types 0 and 15)")->required();
  set->add_option("TYPE", type,
                  "0 schedule flag, 2-8 and 12 item flags, 9 number, 10 time of day in "
                  "seconds, 11 number, 13 and 14 whole numbers, 15 packed block")
      ->required();
  set->add_option("VALUE", value, "Flag (1/0), number, or the packed text")->required();
  set->callback([&session] {
    session.OpenToChangeSettings();
    ScheduleSet(session, id, item, type, value);
  });
}

}  // namespace tarvelin::cli
