// ScheduleObject: one 284-byte schedule block in memory, its items added,
// selected and deleted, the selected item's fields read and written by
// property. The API and remote-account objects hand blocks out in fresh
// schedule objects and take them back through the Data address.
#pragma once

#include "api/automation/automation_object.h"
#include "schema/schedule_layout.h"

namespace tarvelin::automation {

class ScheduleObject : public AutomationObject {
 public:
  explicit ScheduleObject(AutomationServer& server) : AutomationObject(server) {}

  static const ClassInfo& Info();
  const ClassInfo& Class() const override { return Info(); }
  std::span<uint8_t> DataRecord() override { return record_; }

  // Add, Select and Delete answer false whatever they did: clients look at
  // Count.
  bool Add();
  bool Select(int32_t index);
  bool Delete(int32_t index);
  int32_t Count() const;
  void SetCount(int32_t count);

  Variant GetProperty(const Variant& command);
  bool SetProperty(const Variant& command, const Variant& value);

  const ScheduleRecord& record() const { return record_; }
  int32_t selected() const { return selected_; }

 private:
  ScheduleRecord record_{};
  int32_t selected_ = 0;
};

}  // namespace tarvelin::automation
