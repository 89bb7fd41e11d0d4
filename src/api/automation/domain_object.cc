#include "api/automation/domain_object.h"

#include <cstring>
#include <vector>

#include "api/automation/automation_server.h"
#include "api/automation/email_address.h"
#include "api/automation/property_access.h"
#include "api/c/account_operations.h"
#include "api/c/domain_operations.h"
#include "api/c/export_guard.h"
#include "api/c/setting_exports.h"
#include "core/config/config_save.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "schema/user_record.h"

namespace tarvelin::automation {

namespace {

constexpr int32_t kAdministratorAliasSetting = 4;
constexpr std::string_view kAdministratorAliases =
    "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse";
constexpr int32_t kAreaPerAccount = 256;
constexpr const char* kAccountClass = "OrvikCOM.AccountObject";

// The names of an export's list (each followed by a zero byte, then a
// final zero byte) as a ";"-list that keeps the final zero character.
std::string SemicolonList(const std::vector<uint8_t>& area, int32_t length) {
  if (length < 1) return std::string();
  std::string text(area.begin(), area.begin() + length);
  for (int32_t i = 0; i + 1 < length; ++i) {
    if (text[i] == '\0') text[i] = ';';
  }
  return text;
}

}  // namespace

DomainObject::DomainObject(AutomationServer& server) : AutomationObject(server) { New(""); }

const ClassInfo& DomainObject::Info() {
  using P = Param;
  using D = DomainObject;
  static const ClassInfo info{
      *registration::ClassIdsNamed("DomainObject"),
      {
          MemberOf<D>("LastErr", 0xc9, kPropertyGet, {},
                      [](D& self, const Arguments&) { return Variant::I4(self.LastErr()); }),
          MemberOf<D>("Name", 0xca, kPropertyGet, {},
                      [](D& self, const Arguments&) {
                        self.set_last_err(0);
                        return Variant::Text(self.name());
                      }),
          MemberOf<D>("Name", 0xca, kPropertyPut, {P::kText},
                      [](D& self, const Arguments& a) {
                        self.set_name(a.Text(0));
                        self.set_last_err(0);
                        return Variant();
                      }),
          MemberOf<D>("IPAddress", 0xcb, kPropertyGet, {},
                      [](D& self, const Arguments&) {
                        self.set_last_err(0);
                        return Variant::Text(self.ip_address());
                      }),
          MemberOf<D>("IPAddress", 0xcb, kPropertyPut, {P::kText},
                      [](D& self, const Arguments& a) {
                        self.set_ip_address(a.Text(0));
                        self.set_last_err(0);
                        return Variant();
                      }),
          MemberOf<D>(
              "Open", 0xcc, kMethod, {P::kText},
              [](D& self, const Arguments& a) { return Variant::Bool(self.Open(a.Text(0))); }),
          MemberOf<D>("Save", 0xcd, kMethod, {},
                      [](D& self, const Arguments&) { return Variant::Bool(self.Save()); }),
          MemberOf<D>(
              "New", 0xce, kMethod, {P::kText},
              [](D& self, const Arguments& a) { return Variant::Bool(self.New(a.Text(0))); }),
          MemberOf<D>(
              "GetAccountCount", 0xcf, kMethod, {},
              [](D& self, const Arguments&) { return Variant::I4(self.GetAccountCount()); }),
          MemberOf<D>(
              "GetAccountList", 0xd0, kMethod, {},
              [](D& self, const Arguments&) { return Variant::Text(self.GetAccountList()); }),
          MemberOf<D>(
              "GetAccount", 0xd1, kMethod, {P::kInt},
              [](D& self, const Arguments& a) { return Variant::Text(self.GetAccount(a.Int(0))); }),
          MemberOf<D>("DeleteAccount", 0xd2, kMethod, {P::kText},
                      [](D& self, const Arguments& a) {
                        return Variant::Bool(self.DeleteAccount(a.Text(0)));
                      }),
          MemberOf<D>("Delete", 0xd3, kMethod, {},
                      [](D& self, const Arguments&) { return Variant::Bool(self.Delete()); }),
          MemberOf<D>("GetProperty", 0xd4, kMethod, {P::kVariant},
                      [](D& self, const Arguments& a) { return self.GetProperty(a.Value(0)); }),
          MemberOf<D>("SetProperty", 0xd5, kMethod, {P::kVariant, P::kVariant},
                      [](D& self, const Arguments& a) {
                        return Variant::Bool(self.SetProperty(a.Value(0), a.Value(1)));
                      }),
          MemberOf<D>("OpenAccount", 0xd6, kMethod, {P::kText},
                      [](D& self, const Arguments& a) { return self.OpenAccount(a.Text(0)); }),
          MemberOf<D>("NewAccount", 0xd7, kMethod, {P::kText},
                      [](D& self, const Arguments& a) { return self.NewAccount(a.Text(0)); }),
          MemberOf<D>("GetAccountIndexByAlias", 0xd8, kMethod, {P::kText},
                      [](D& self, const Arguments& a) {
                        return Variant::I4(self.GetAccountIndexByAlias(a.Text(0)));
                      }),
          MemberOf<D>("Data", 0xd9, kPropertyGet, {},
                      [](D& self, const Arguments&) { return DataAddress(self); }),
      },
      [](AutomationServer& server) -> AutomationObject* { return new DomainObject(server); }};
  return info;
}

void DomainObject::Reset() {
  record_.fill(0);
  new_ = true;
  name_.clear();
  ip_address_.clear();
  index_ = -1;
}

bool DomainObject::New(const std::string& domain) {
  Reset();
  SetDomainSettingFor(record_.data(), kDomainRecordSize, kAdministratorAliasSetting,
                      kAdministratorAliases.data(),
                      static_cast<int32_t>(kAdministratorAliases.size()));
  OnInitialisedIn(context(), [&](Context& c) {
    return SetDomainDefaultsFor(c, record_.data(), kDomainRecordSize, 0);
  });
  set_last_err(0);
  name_ = domain;
  return true;
}

bool DomainObject::Open(const std::string& domain) {
  Reset();
  name_ = domain;
  new_ = false;
  index_ = OnInitialisedIn(context(),
                           [&](Context& c) { return capi::GetDomainIndex(c, domain.c_str()); });
  set_last_err(index_);
  if (index_ >= 0) {
    set_last_err(OnInitialisedIn(context(), [&](Context& c) {
      return capi::LoadDomain(c, index_, record_.data(), kDomainRecordSize);
    }));
    Result<std::string> binding = DomainBinding(context(), index_);
    if (binding.ok()) ip_address_ = *binding;
  }
  return LastErr() >= 0;
}

bool DomainObject::Save() {
  int32_t result;
  if (new_) {
    result = OnInitialisedIn(context(), [&](Context& c) {
      return capi::AddDomain(c, name_.c_str(), record_.data(), kDomainRecordSize);
    });
    if (result >= 0) {
      index_ = OnInitialisedIn(context(),
                               [&](Context& c) { return capi::GetDomainIndex(c, name_.c_str()); });
    }
    new_ = false;
  } else {
    result = OnInitialisedIn(context(), [&](Context& c) {
      return capi::SaveDomain(c, index_, record_.data(), kDomainRecordSize);
    });
  }
  set_last_err(result);
  if (result < 0) return false;
  OnInitialisedIn(context(), [&](Context& c) {
    return capi::SetDomainIP(c, index_, ip_address_.data(),
                             static_cast<int32_t>(ip_address_.size()));
  });
  OnInitialisedIn(context(), [&](Context& c) { return SaveConfig(c); });
  return true;
}

bool DomainObject::Delete() {
  const int32_t result =
      OnInitialisedIn(context(), [&](Context& c) { return capi::DeleteDomain(c, index_); });
  set_last_err(result);
  Reset();
  return result >= 0;
}

int32_t DomainObject::GetAccountCount() {
  const int32_t count =
      OnInitialisedIn(context(), [&](Context& c) { return capi::GetUserCount(c, name_.c_str()); });
  set_last_err(count);
  return count;
}

std::string DomainObject::GetAccountList() {
  const int32_t count =
      OnInitialisedIn(context(), [&](Context& c) { return capi::GetUserCount(c, name_.c_str()); });
  std::vector<uint8_t> area(static_cast<size_t>(std::max(count, 0)) * kAreaPerAccount, 0);
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return capi::GetUserList(c, name_.c_str(), area.data(), static_cast<int32_t>(area.size()));
  });
  set_last_err(result);
  return SemicolonList(area, result);
}

std::string DomainObject::GetAccount(int32_t index) {
  UserRecord account{};
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return capi::LoadUser(c, name_.c_str(), index, account.data(), kUserRecordSize);
  });
  set_last_err(result);
  return result >= 0 ? PrimaryAliasOf(account) : std::string();
}

int32_t DomainObject::GetAccountIndexByAlias(const std::string& email) {
  const AddressParts address = SplitEmail(email, name_);
  const int32_t index = OnInitialisedIn(context(), [&](Context& c) {
    return capi::GetUserIndex(c, address.domain.c_str(), address.alias.c_str());
  });
  set_last_err(index);
  return index;
}

bool DomainObject::DeleteAccount(const std::string& email) {
  const AddressParts address = SplitEmail(email, name_);
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    const int32_t index = capi::GetUserIndex(c, address.domain.c_str(), address.alias.c_str());
    return capi::DeleteUser(c, address.domain.c_str(), index);
  });
  set_last_err(result);
  return result >= 0;
}

Variant DomainObject::AccountChild(const std::string& email, const char* member) {
  const AddressParts address = SplitEmail(email, name_);
  ObjectRef child = server().CreateChild(kAccountClass);
  Variant result = Variant::Object(child);
  const Variant done =
      server().CallByName(child, member, {Variant::Text(address.alias + "@" + address.domain)});
  const Variant last_err = server().CallByName(child, "LastErr", {});
  set_last_err(last_err.ToInt32().value_or(0));
  if (!done.ToBool().value_or(false)) return Variant();
  return result;
}

Variant DomainObject::OpenAccount(const std::string& email) { return AccountChild(email, "Open"); }

Variant DomainObject::NewAccount(const std::string& email) { return AccountChild(email, "New"); }

Variant DomainObject::GetProperty(const Variant& command) {
  return GetPropertyBy(*this, command, [&](int32_t id, void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return GetDomainSettingFor(record_.data(), kDomainRecordSize, id, buffer, size);
    });
  });
}

bool DomainObject::SetProperty(const Variant& command, const Variant& value) {
  return SetPropertyBy(*this, command, value, [&](int32_t id, const void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context&) {
      return SetDomainSettingFor(record_.data(), kDomainRecordSize, id, buffer, size);
    });
  });
}

}  // namespace tarvelin::automation
