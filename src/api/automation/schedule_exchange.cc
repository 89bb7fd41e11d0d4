#include "api/automation/schedule_exchange.h"

#include <cstring>

#include "api/automation/automation_error.h"
#include "api/automation/automation_server.h"
#include "schema/schedule_layout.h"

namespace tarvelin::automation {

namespace {

constexpr std::string_view kScheduleClass = "OrvikCOM.ScheduleObject";

}  // namespace

std::span<uint8_t> ScheduleBlockAt(const AutomationServer& server, const Variant& data) {
  if (!data.is_number()) throw AutomationError("The schedule object gave no record address");
  std::span<uint8_t> record = server.LiveRecordAt(static_cast<intptr_t>(data.integer()));
  if (record.size() < static_cast<size_t>(kScheduleRecordSize)) {
    throw AutomationError("The address " + std::to_string(data.integer()) +
                          " is not the record of a live schedule object");
  }
  return record.first(kScheduleRecordSize);
}

Variant ScheduleObjectFrom(AutomationServer& server, const ScheduleReader& read) {
  ObjectRef schedule = server.CreateChild(kScheduleClass);
  Variant data = server.CallByName(schedule, "Data", {});
  ScheduleRecord area{};
  if (read(area.data(), kScheduleRecordSize) != kScheduleRecordSize) return Variant();
  std::span<uint8_t> block = ScheduleBlockAt(server, data);
  std::memcpy(block.data(), area.data(), kScheduleRecordSize);
  return Variant::Object(std::move(schedule));
}

int32_t ScheduleBlockTo(AutomationServer& server, const Variant& schedule,
                        const ScheduleWriter& write) {
  if (schedule.type() != VarType::kObject) throw AutomationError("Object required");
  Variant data = server.CallByName(schedule.object(), "Data", {});
  ScheduleRecord block{};
  std::memcpy(block.data(), ScheduleBlockAt(server, data).data(), kScheduleRecordSize);
  return write(block.data(), kScheduleRecordSize);
}

}  // namespace tarvelin::automation
