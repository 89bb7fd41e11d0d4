// `schedule ...`: the schedules of the global configuration, item by item.
#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "schema/schedule_layout.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

using ScheduleBlock = std::array<uint8_t, kScheduleRecordSize>;

ScheduleBlock LoadSchedule(int32_t id) {
  if (std::find(kConfigScheduleIds.begin(), kConfigScheduleIds.end(), id) ==
      kConfigScheduleIds.end()) {
    throw CommandError("configuration setting " + std::to_string(id) +
                       " is no schedule (149, 321, 355, 374, 382 or 431)");
  }
  ScheduleBlock block{};
  if (::GetConfigSetting(id, block.data(), kScheduleRecordSize) != kScheduleRecordSize) {
    throw CommandError("cannot read configuration setting " + std::to_string(id));
  }
  return block;
}

bool IsSigned(const ScheduleField& field) {
  return field.kind == FieldKind::kTimeOfDay || field.kind == FieldKind::kWholeNumber;
}

// The value of one type as the exports give it: numbers of 4 bytes (signed
// where the type is), texts as they are.
nlohmann::json ReadValue(const ScheduleBlock& block, int32_t item, const ScheduleField& field) {
  std::string buffer(4096, '\0');
  const int32_t n = ::GetScheduleSetting(block.data(), kScheduleRecordSize, item, field.type,
                                         buffer.data(), static_cast<int32_t>(buffer.size()));
  if (n < 0) throw CommandError("type " + std::to_string(field.type) + " is not available");
  if (field.kind == FieldKind::kPacked) return buffer.substr(0, static_cast<size_t>(n));
  const uint32_t number = GetLE(reinterpret_cast<const uint8_t*>(buffer.data()), 4);
  if (IsSigned(field)) return static_cast<int32_t>(number);
  return number;
}

void ScheduleShow(const Output& out, int32_t id) {
  const ScheduleBlock block = LoadSchedule(id);
  const nlohmann::json flag = ReadValue(block, 0, *FindScheduleField(0));
  const uint32_t count = GetLE(block.data(), 2);
  nlohmann::json items = nlohmann::json::array();
  std::string human = "flag " + HumanText(flag) + ", " + std::to_string(count) + " items in use\n";
  for (int32_t item = 0; item < kScheduleItemCount; ++item) {
    nlohmann::json values = nlohmann::json::object();
    human += "item " + std::to_string(item);
    for (const ScheduleField& field : ScheduleFields()) {
      if (!field.in_item) continue;
      const nlohmann::json value = ReadValue(block, item, field);
      values[std::to_string(field.type)] = value;
      human += " " + std::to_string(field.type) + "=" + HumanText(value);
    }
    items.push_back({{"item", item}, {"types", values}});
    human += "\n";
  }
  // The packed block travels to another schedule with type 15.
  const nlohmann::json packed = ReadValue(block, 0, *FindScheduleField(15));
  out.Emit({{"id", id}, {"flag", flag}, {"count", count}, {"items", items}, {"packed", packed}},
           human);
}

int32_t ParseSigned(const std::string& text) {
  const std::string trimmed = Trim(text);
  int32_t value = 0;
  const auto [ptr, error] =
      std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value, 10);
  if (error != std::errc() || ptr != trimmed.data() + trimmed.size() || trimmed.empty()) {
    throw CommandError("not a whole number: " + text);
  }
  return value;
}

void ScheduleSet(const Output& out, int32_t id, int32_t item, int32_t type,
                 const std::string& text) {
  const ScheduleField* field = FindScheduleField(type);
  if (field == nullptr) throw CommandError("unknown schedule type " + std::to_string(type));
  if (field->in_item && (item < 0 || item >= kScheduleItemCount)) {
    throw CommandError("no schedule item " + std::to_string(item) + " (0 to 6)");
  }
  ScheduleBlock block = LoadSchedule(id);
  std::vector<uint8_t> value;
  if (field->kind == FieldKind::kPacked) {
    value.assign(text.begin(), text.end());
  } else if (field->kind == FieldKind::kFlag) {
    value.push_back(ParseFlag(text));
  } else {
    value.resize(4);
    PutLE(value.data(), 4,
          IsSigned(*field) ? static_cast<uint32_t>(ParseSigned(text)) : ParseNumber(text));
  }
  if (::SetScheduleSetting(block.data(), kScheduleRecordSize, item, type, value.data(),
                           static_cast<int32_t>(value.size())) != 0 ||
      ::SetConfigSetting(id, block.data(), kScheduleRecordSize) != 0) {
    throw CommandError("type " + std::to_string(type) + " was refused");
  }
  ::SaveConfig();
  const nlohmann::json stored = ReadValue(block, item, *field);
  out.Emit({{"id", id}, {"item", item}, {"type", type}, {"value", stored}, {"saved", true}},
           std::to_string(type) + " = " + HumanText(stored));
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
    ScheduleShow(session.out, id);
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
    session.Open();
    ScheduleSet(session.out, id, item, type, value);
  });
}

}  // namespace tarvelin::cli
