// RemoteAccountObject: one remote account (a remote.cfg record) edited in
// memory by property and saved back; new until it is opened or saved. Its
// collection schedule goes out in a fresh schedule object and comes back
// from one (schedule_exchange.h).
#pragma once

#include "api/automation/automation_object.h"
#include "schema/remote_record_layout.h"

namespace tarvelin::automation {

class RemoteAccountObject : public AutomationObject {
 public:
  explicit RemoteAccountObject(AutomationServer& server) : AutomationObject(server) {}

  static const ClassInfo& Info();
  const ClassInfo& Class() const override { return Info(); }
  std::span<uint8_t> DataRecord() override { return record_; }

  bool New();
  // The object addresses `index` afterwards even when nothing was loaded.
  bool Open(int32_t index);
  // A record without a local domain gets the first domain's.
  bool Save();
  bool Delete();
  // Removes another record; this object follows its own record when it
  // moves down, and counts as new when that record was the one removed.
  bool DeleteIndex(int32_t index);
  int32_t Count();

  Variant GetProperty(const Variant& command);
  bool SetProperty(const Variant& command, const Variant& value);
  Variant GetSchedule(const Variant& command);
  bool SetSchedule(const Variant& command, const Variant& schedule);

  const RemoteAccountRecord& record() const { return record_; }
  bool is_new() const { return new_; }
  int32_t index() const { return index_; }

 private:
  void Reset();
  void FillLocalDomain(Context& context);

  RemoteAccountRecord record_{};
  bool new_ = true;
  int32_t index_ = -1;
};

}  // namespace tarvelin::automation
