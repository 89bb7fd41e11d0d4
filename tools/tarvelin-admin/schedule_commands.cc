// `schedule ...`: the schedules of the global configuration, item by item,
// by name or number.
#include <string>

#include "cli_context.h"
#include "cli_values.h"
#include "core/config/config_save.h"
#include "core/schedules/config_schedules.h"
#include "core/schedules/schedule_settings.h"
#include "schema/schedule_layout.h"
#include "setting_forms.h"
#include "setting_names.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kFlagType = 0, kPackedType = 15;

SettingValue ValueOf(const ScheduleRecord& block, int32_t item, int32_t type) {
  return Checked(ScheduleSettingValue(block.data(), item, type));
}

void ScheduleShow(Session& session, const std::string& schedule) {
  Context& context = session.context();
  const SettingNames schedules(context, SettingFamily::kConfig);
  const SettingNames types(context, SettingFamily::kSchedule);
  const int32_t id = schedules.IdOf(schedule);
  const ScheduleRecord block = Checked(ConfigSchedule(context, id));
  const SettingValue flag = ValueOf(block, 0, kFlagType);
  const int count = ScheduleItemsInUse(block);
  nlohmann::json items = nlohmann::json::array();
  std::string human = schedules.LabelOf(id) + ": " + types.LabelOf(kFlagType) + " = " +
                      HumanOf(flag) + ", " + std::to_string(count) + " items in use\n";
  for (int32_t item = 0; item < kScheduleItemCount; ++item) {
    nlohmann::json values = nlohmann::json::object();
    human += "item " + std::to_string(item) + ":";
    const char* separator = " ";
    for (const ScheduleField& field : ScheduleFields()) {
      if (!field.in_item) continue;
      const SettingValue value = ValueOf(block, item, field.type);
      values[std::to_string(field.type)] = JsonOf(value);
      human += separator + types.LabelOf(field.type) + " = " + HumanOf(value);
      separator = ", ";
    }
    items.push_back({{"item", item}, {"types", values}});
    human += "\n";
  }
  nlohmann::json type_names = nlohmann::json::object();
  for (const ScheduleField& field : ScheduleFields()) {
    type_names[std::to_string(field.type)] = types.NameOf(field.type);
  }
  // The packed block travels to another schedule with type 15.
  const nlohmann::json packed = JsonOf(ValueOf(block, 0, kPackedType));
  session.out.Emit({{"id", id},
                    {"name", schedules.NameOf(id)},
                    {"flag", JsonOf(flag)},
                    {"count", count},
                    {"items", items},
                    {"type_names", type_names},
                    {"packed", packed}},
                   human);
}

void ScheduleSet(Session& session, const std::string& schedule, int32_t item,
                 const std::string& type_word, const std::string& text) {
  Context& context = session.context();
  const SettingNames schedules(context, SettingFamily::kConfig);
  const SettingNames types(context, SettingFamily::kSchedule);
  const int32_t id = schedules.IdOf(schedule);
  const int32_t type = types.IdOf(type_word);
  const SettingShape shape = Checked(DescribeScheduleSetting(type));
  const SettingValue value =
      ValueOfText(shape, text, FormOfSetting(SettingFamily::kSchedule, type));
  ScheduleRecord block = Checked(ConfigSchedule(context, id));
  Check(SetScheduleSettingValue(block.data(), item, type, value));
  Check(SetConfigSchedule(context, id, block));
  SaveConfig(context);
  const SettingValue stored = ValueOf(block, item, type);
  session.out.Emit({{"id", id},
                    {"name", schedules.NameOf(id)},
                    {"item", item},
                    {"type", type},
                    {"type_name", types.NameOf(type)},
                    {"value", JsonOf(stored)},
                    {"saved", true}},
                   types.LabelOf(type) + " = " + HumanOf(stored));
}

}  // namespace

void RegisterScheduleCommands(CLI::App& app, Session& session) {
  CLI::App* schedule = app.add_subcommand("schedule", "Schedules of the global configuration");
  schedule->require_subcommand(1);
  static std::string id;
  static int32_t item = 0;
  static std::string type;
  static std::string value;

  CLI::App* show = schedule->add_subcommand("show", "Show a schedule item by item");
  show->add_option("SCHEDULE", id, "Configuration setting of the schedule (C_Schedule149 or 149)")
      ->required();
  show->callback([&session] {
    session.Open();
    ScheduleShow(session, id);
  });

  CLI::App* set = schedule->add_subcommand("set", "Change one field of a schedule and save it");
  set->add_option("SCHEDULE", id, "Configuration setting of the schedule (C_Schedule149 or 149)")
      ->required();
  set->add_option("ITEM", item, "Item 0 to 6 (ignored by types 0 and 15)")->required();
  set->add_option("TYPE", type,
                  "Setting name (SC_ItemTime) or type: 0 schedule flag, 2-8 and 12 item flags, "
                  "9 number, 10 time of day in seconds (0 to 86399), 11 number, 13 and 14 whole "
                  "numbers, 15 packed block")
      ->required();
  set->add_option("VALUE", value, "Flag (1/0), number, or the packed text")->required();
  set->callback([&session] {
    session.OpenToChangeSettings();
    ScheduleSet(session, id, item, type, value);
  });
}

}  // namespace tarvelin::cli
