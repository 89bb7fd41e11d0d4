#include "api/automation/schedule_object.h"

#include <cstring>

#include "api/automation/property_access.h"
#include "api/c/export_guard.h"
#include "api/c/setting_exports.h"

namespace tarvelin::automation {

namespace {

bool IsItem(int32_t index) { return index >= 0 && index < kScheduleItemCount; }

}  // namespace

const ClassInfo& ScheduleObject::Info() {
  using P = Param;
  using S = ScheduleObject;
  static const ClassInfo info{
      *registration::ClassIdsNamed("ScheduleObject"),
      {
          MemberOf<S>("LastErr", 0xc9, kPropertyGet, {},
                      [](S& self, const Arguments&) { return Variant::I4(self.LastErr()); }),
          MemberOf<S>("Data", 0xca, kPropertyGet, {},
                      [](S& self, const Arguments&) { return DataAddress(self); }),
          MemberOf<S>("Add", 0xcb, kMethod, {},
                      [](S& self, const Arguments&) { return Variant::Bool(self.Add()); }),
          MemberOf<S>("Delete", 0xcc, kMethod, {P::kInt},
                      [](S& self, const Arguments& a) { return Variant::Bool(self.Delete(a.Int(0))); }),
          MemberOf<S>("Select", 0xcd, kMethod, {P::kInt},
                      [](S& self, const Arguments& a) { return Variant::Bool(self.Select(a.Int(0))); }),
          MemberOf<S>("GetProperty", 0xcf, kMethod, {P::kVariant},
                      [](S& self, const Arguments& a) { return self.GetProperty(a.Value(0)); }),
          MemberOf<S>("SetProperty", 0xd0, kMethod, {P::kVariant, P::kVariant},
                      [](S& self, const Arguments& a) {
                        return Variant::Bool(self.SetProperty(a.Value(0), a.Value(1)));
                      }),
          MemberOf<S>("Count", 0xce, kPropertyGet, {},
                      [](S& self, const Arguments&) { return Variant::I4(self.Count()); }),
          MemberOf<S>("Count", 0xce, kPropertyPut, {P::kInt},
                      [](S& self, const Arguments& a) {
                        self.SetCount(a.Int(0));
                        return Variant();
                      }),
      },
      [](AutomationServer& server) -> AutomationObject* { return new ScheduleObject(server); }};
  return info;
}

int32_t ScheduleObject::Count() const { return ScheduleItemsInUse(record_); }

void ScheduleObject::SetCount(int32_t count) {
  if (count < 0 || count > kScheduleItemCount) return;
  record_[kScheduleCountOffset] = static_cast<uint8_t>(count);
  record_[kScheduleCountOffset + 1] = 0;
}

bool ScheduleObject::Add() {
  int32_t count = Count();
  if (count < kScheduleItemCount) {
    SetCount(count + 1);
    selected_ = count;
  }
  return false;
}

bool ScheduleObject::Select(int32_t index) {
  if (IsItem(index)) selected_ = index;
  return false;
}

bool ScheduleObject::Delete(int32_t index) {
  if (!IsItem(index)) return false;
  selected_ = 0;
  int32_t count = Count();
  // An item past the count holds nothing to delete: the last one stays.
  if (index >= count) return false;
  // Items after the deleted one move down; the last one's old bytes stay
  // behind the new count.
  for (int32_t item = index + 1; item < count && item < kScheduleItemCount; ++item) {
    uint8_t* to = record_.data() + kScheduleItemsOffset + (item - 1) * kScheduleItemSize;
    std::memmove(to, to + kScheduleItemSize, kScheduleItemSize);
  }
  SetCount(count - 1);
  return false;
}

Variant ScheduleObject::GetProperty(const Variant& command) {
  return GetPropertyBy(*this, command, [&](int32_t id, void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return GetScheduleSettingFor(record_.data(), kScheduleRecordSize, selected_, id, buffer,
                                   size);
    });
  });
}

bool ScheduleObject::SetProperty(const Variant& command, const Variant& value) {
  return SetPropertyBy(*this, command, value, [&](int32_t id, const void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return SetScheduleSettingFor(record_.data(), kScheduleRecordSize, selected_, id, buffer,
                                   size);
    });
  });
}

}  // namespace tarvelin::automation
