#include "api/automation/remote_account_object.h"

#include <array>

#include "api/automation/property_access.h"
#include "api/automation/schedule_exchange.h"
#include "api/c/domain_operations.h"
#include "api/c/export_guard.h"
#include "api/c/remote_operations.h"
#include "api/c/setting_exports.h"
#include "core/context.h"

namespace tarvelin::automation {

namespace {

constexpr int32_t kLocalDomainSetting = 235;
constexpr int32_t kTextArea = 255;

}  // namespace

const ClassInfo& RemoteAccountObject::Info() {
  using P = Param;
  using R = RemoteAccountObject;
  static const ClassInfo info{
      *registration::ClassIdsNamed("RemoteAccountObject"),
      {
          MemberOf<R>("LastErr", 0xc9, kPropertyGet, {},
                      [](R& self, const Arguments&) { return Variant::I4(self.LastErr()); }),
          MemberOf<R>("Data", 0xca, kPropertyGet, {},
                      [](R& self, const Arguments&) { return DataAddress(self); }),
          MemberOf<R>("New", 0xcb, kMethod, {},
                      [](R& self, const Arguments&) { return Variant::Bool(self.New()); }),
          MemberOf<R>("Open", 0xcc, kMethod, {P::kInt},
                      [](R& self, const Arguments& a) { return Variant::Bool(self.Open(a.Int(0))); }),
          MemberOf<R>("Save", 0xcd, kMethod, {},
                      [](R& self, const Arguments&) { return Variant::Bool(self.Save()); }),
          MemberOf<R>("Delete", 0xce, kMethod, {},
                      [](R& self, const Arguments&) { return Variant::Bool(self.Delete()); }),
          MemberOf<R>("SetProperty", 0xcf, kMethod, {P::kVariant, P::kVariant},
                      [](R& self, const Arguments& a) {
                        return Variant::Bool(self.SetProperty(a.Value(0), a.Value(1)));
                      }),
          MemberOf<R>("GetProperty", 0xd0, kMethod, {P::kVariant},
                      [](R& self, const Arguments& a) { return self.GetProperty(a.Value(0)); }),
          MemberOf<R>("DeleteIndex", 0xd1, kMethod, {P::kInt},
                      [](R& self, const Arguments& a) {
                        return Variant::Bool(self.DeleteIndex(a.Int(0)));
                      }),
          MemberOf<R>("Count", 0xd2, kMethod, {},
                      [](R& self, const Arguments&) { return Variant::I4(self.Count()); }),
          MemberOf<R>("GetSchedule", 0xd3, kMethod, {P::kVariant},
                      [](R& self, const Arguments& a) { return self.GetSchedule(a.Value(0)); }),
          MemberOf<R>("SetSchedule", 0xd4, kMethod, {P::kVariant, P::kVariant},
                      [](R& self, const Arguments& a) {
                        return Variant::Bool(self.SetSchedule(a.Value(0), a.Value(1)));
                      }),
      },
      [](AutomationServer& server) -> AutomationObject* { return new RemoteAccountObject(server); }};
  return info;
}

void RemoteAccountObject::Reset() {
  record_.fill(0);
  new_ = true;
  index_ = -1;
}

bool RemoteAccountObject::New() {
  Reset();
  set_last_err(0);
  return true;
}

bool RemoteAccountObject::Open(int32_t index) {
  int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return capi::LoadRA(c, index, record_.data(), kRemoteRecordSize);
  });
  set_last_err(result);
  new_ = false;
  index_ = index;
  return result >= 0;
}

void RemoteAccountObject::FillLocalDomain(Context& c) {
  std::array<char, kTextArea> domain{};
  if (GetRASettingFor(record_.data(), kRemoteRecordSize, kLocalDomainSetting, domain.data(),
                      kTextArea) != 0) {
    return;
  }
  int32_t length = capi::GetDomainName(c, 0, domain.data(), kTextArea);
  if (length > 0) {
    SetRASettingFor(record_.data(), kRemoteRecordSize, kLocalDomainSetting, domain.data(), length);
  }
}

bool RemoteAccountObject::Save() {
  int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    FillLocalDomain(c);
    if (!new_) return capi::SaveRA(c, index_, record_.data(), kRemoteRecordSize);
    int32_t added = capi::AddRA(c, record_.data(), kRemoteRecordSize);
    // A failed add leaves the object new: a second Save adds it again,
    // where an append without an index would add a copy at every Save.
    if (added >= 0) {
      index_ = capi::GetRACount(c) - 1;
      new_ = false;
    }
    return added;
  });
  set_last_err(result);
  return result >= 0;
}

bool RemoteAccountObject::Delete() {
  int32_t result = OnInitialisedIn(context(), [&](Context& c) { return capi::DeleteRA(c, index_); });
  set_last_err(result);
  Reset();
  return result >= 0;
}

bool RemoteAccountObject::DeleteIndex(int32_t index) {
  int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    int32_t count = capi::GetRACount(c);
    int32_t deleted = capi::DeleteRA(c, index);
    // The records after the removed one move down: a later Save must still
    // reach this object's record, not overwrite the one now at its index.
    if (deleted >= 0 && !new_ && index >= 0 && index < count && index <= index_) {
      if (index < index_) {
        --index_;
      } else {
        new_ = true;
        index_ = -1;
      }
    }
    return deleted;
  });
  set_last_err(result);
  return result >= 0;
}

int32_t RemoteAccountObject::Count() {
  return OnInitialisedIn(context(), [&](Context& c) { return capi::GetRACount(c); });
}

Variant RemoteAccountObject::GetProperty(const Variant& command) {
  return GetPropertyBy(*this, command, [&](int32_t id, void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return GetRASettingFor(record_.data(), kRemoteRecordSize, id, buffer, size);
    });
  });
}

bool RemoteAccountObject::SetProperty(const Variant& command, const Variant& value) {
  return SetPropertyBy(*this, command, value, [&](int32_t id, const void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return SetRASettingFor(record_.data(), kRemoteRecordSize, id, buffer, size);
    });
  });
}

Variant RemoteAccountObject::GetSchedule(const Variant& command) {
  int32_t id = ResolveProperty(context().properties(), command).number;
  return ScheduleObjectFrom(server(), [&](void* area, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return GetRASettingFor(record_.data(), kRemoteRecordSize, id, area, size);
    });
  });
}

bool RemoteAccountObject::SetSchedule(const Variant& command, const Variant& schedule) {
  int32_t id = ResolveProperty(context().properties(), command).number;
  int32_t result = ScheduleBlockTo(server(), schedule, [&](const void* block, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return SetRASettingFor(record_.data(), kRemoteRecordSize, id, block, size);
    });
  });
  return result >= 0;
}

}  // namespace tarvelin::automation
