#include "api/automation/account_object.h"

#include <cstring>

#include "api/automation/email_address.h"
#include "api/automation/property_access.h"
#include "api/c/account_enumeration.h"
#include "api/c/account_operations.h"
#include "api/c/auth_functions.h"
#include "api/c/export_guard.h"
#include "api/c/setting_exports.h"
#include "core/accounts/account_checks.h"
#include "core/accounts/account_defaults.h"
#include "core/accounts/authenticate.h"
#include "core/accounts/password_rules.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "jobs/mailbox_conversion.h"
#include "schema/user_record_offsets.h"

namespace tarvelin::automation {

namespace {

constexpr int32_t kPasswordSetting = 33;
constexpr int32_t kSettingArea = 255;

bool PasswordEmpty(const Context& context, const UserRecord& record) {
  char password[kSettingArea];
  return GetUserSettingFor(context, record.data(), kUserRecordSize, kPasswordSetting, password,
                           kSettingArea) == 0;
}

}  // namespace

AccountObject::~AccountObject() { EndWalk(); }

const ClassInfo& AccountObject::Info() {
  using P = Param;
  using A = AccountObject;
  static const ClassInfo info{
      *registration::ClassIdsNamed("AccountObject"),
      {
          MemberOf<A>("LastErr", 0xc9, kPropertyGet, {},
                      [](A& self, const Arguments&) { return Variant::I4(self.LastErr()); }),
          MemberOf<A>("Domain", 0xca, kPropertyGet, {},
                      [](A& self, const Arguments&) {
                        self.set_last_err(0);
                        return Variant::Text(self.domain());
                      }),
          MemberOf<A>(
              "New", 0xcb, kMethod, {P::kText},
              [](A& self, const Arguments& a) { return Variant::Bool(self.New(a.Text(0))); }),
          MemberOf<A>(
              "Open", 0xcc, kMethod, {P::kText},
              [](A& self, const Arguments& a) { return Variant::Bool(self.Open(a.Text(0))); }),
          MemberOf<A>("Save", 0xcd, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::Bool(self.Save()); }),
          MemberOf<A>("Delete", 0xce, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::Bool(self.Delete()); }),
          MemberOf<A>("SetProperty", 0xcf, kMethod, {P::kVariant, P::kVariant},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.SetProperty(a.Value(0), a.Value(1)));
                      }),
          MemberOf<A>("GetProperty", 0xd0, kMethod, {P::kVariant},
                      [](A& self, const Arguments& a) { return self.GetProperty(a.Value(0)); }),
          MemberOf<A>("AuthenticateUser", 0xd3, kMethod, {P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.AuthenticateUser(a.Text(0), a.Text(1), a.Text(2)));
                      }),
          MemberOf<A>("FindInit", 0xd4, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.FindInitQuery(a.Text(0), ""));
                      }),
          MemberOf<A>("FindNext", 0xd5, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::Bool(self.FindNext()); }),
          MemberOf<A>("FindDone", 0xd6, kMethod, {},
                      [](A& self, const Arguments&) {
                        self.FindDone();
                        return Variant();
                      }),
          MemberOf<A>("CanCreateMailbox", 0xd1, kMethod, {P::kText, P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.CanCreateMailbox(a.Text(0), a.Text(1), a.Text(2), a.Text(3)));
                      }),
          MemberOf<A>("Data", 0xd2, kPropertyGet, {},
                      [](A& self, const Arguments&) { return DataAddress(self); }),
          MemberOf<A>("MailboxConvertMessages", 0xd7, kMethod, {P::kText, P::kBool, P::kBool},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.MailboxConvertMessages(a.Text(0), a.Bool(1), a.Bool(2)));
                      }),
          MemberOf<A>("FindInitQuery", 0xd8, kMethod, {P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.FindInitQuery(a.Text(0), a.Text(1)));
                      }),
          MemberOf<A>("EmailAddress", 0xd9, kPropertyGet, {},
                      [](A& self, const Arguments&) { return Variant::Text(self.EmailAddress()); }),
          MemberOf<A>("AuthenticateUserHash", 0xda, kMethod,
                      {P::kText, P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.AuthenticateUserHash(a.Text(0), a.Text(1), a.Text(2), a.Text(3)));
                      }),
          MemberOf<A>("ValidateUser", 0xdb, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::Bool(self.ValidateUser()); }),
      },
      [](AutomationServer& server) -> AutomationObject* { return new AccountObject(server); }};
  return info;
}

void AccountObject::Reset() {
  record_.fill(0);
  new_ = true;
  domain_.clear();
  index_ = -1;
  defaults_applied_ = false;
}

std::string AccountObject::FirstDomain() {
  Result<std::string> first = DomainNameAt(context(), 0);
  return first.ok() ? *first : std::string();
}

bool AccountObject::New(const std::string& email) {
  Reset();
  set_last_err(0);
  const AddressParts address = SplitEmail(email, FirstDomain());
  domain_ = address.domain;
  PutPString(record_.data() + user_offsets::kAliasList, user_offsets::kAliasListCapacity,
             CutTo(address.alias, user_offsets::kAliasListCapacity));
  return true;
}

bool AccountObject::Open(const std::string& email) {
  Reset();
  const AddressParts address = SplitEmail(email, FirstDomain());
  domain_ = address.domain;
  index_ = OnInitialisedIn(context(), [&](Context& c) {
    return capi::GetUserIndex(c, domain_.c_str(), address.alias.c_str());
  });
  set_last_err(index_);
  int32_t result = index_;
  if (index_ >= 0) {
    result = OnInitialisedIn(context(), [&](Context& c) {
      return capi::LoadUser(c, domain_.c_str(), index_, record_.data(), kUserRecordSize);
    });
    set_last_err(result);
  }
  new_ = false;
  return result >= 0;
}

void AccountObject::ApplyDefaults() {
  if (!new_ || defaults_applied_) return;
  defaults_applied_ = true;
  if (AccountTypeOf(record_) != kUserAccount) return;
  record_[user_offsets::kMailboxMode] = 1;
  SetUserDefaultsOfDomain(context(), domain_, record_.data(), 0);
}

bool AccountObject::Save() {
  if (domain_.empty()) domain_ = FirstDomain();
  int32_t result;
  if (new_) {
    ApplyDefaults();
    if (AccountTypeOf(record_) == kUserAccount && PasswordEmpty(context(), record_)) {
      const std::string password =
          CutTo(GenerateAccountPassword(context().config.record, EnvRandomBelow(context().env())),
                user_offsets::kPasswordCapacity);
      SetUserSettingFor(record_.data(), kUserRecordSize, kPasswordSetting, password.data(),
                        static_cast<int32_t>(password.size()));
    }
    result = OnInitialisedIn(context(), [&](Context& c) {
      return capi::AddUser(c, domain_.c_str(), record_.data(), kUserRecordSize);
    });
    if (result >= 0) index_ = result;
    new_ = false;
  } else {
    result = OnInitialisedIn(context(), [&](Context& c) {
      return capi::SaveUser(c, domain_.c_str(), index_, record_.data(), kUserRecordSize);
    });
  }
  set_last_err(result);
  return result >= 0;
}

bool AccountObject::Delete() {
  const int32_t result = OnInitialisedIn(
      context(), [&](Context& c) { return capi::DeleteUser(c, domain_.c_str(), index_); });
  set_last_err(result);
  Reset();
  return result >= 0;
}

Variant AccountObject::GetProperty(const Variant& command) {
  return GetPropertyBy(*this, command, [&](int32_t id, void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context& c) {
      return GetUserSettingFor(c, record_.data(), kUserRecordSize, id, buffer, size);
    });
  });
}

bool AccountObject::SetProperty(const Variant& command, const Variant& value) {
  const bool stored =
      SetPropertyBy(*this, command, value, [&](int32_t id, const void* buffer, int32_t size) {
        return OnInitialisedIn(context(), [&](Context&) {
          return SetUserSettingFor(record_.data(), kUserRecordSize, id, buffer, size);
        });
      });
  ApplyDefaults();
  return stored;
}

bool AccountObject::AuthenticateUser(const std::string& username, const std::string& password,
                                     const std::string& ip) {
  int32_t domain_index = -1;
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return tarvelin::AuthenticateUser(c, username.c_str(), password.c_str(), ip.c_str(),
                                      &domain_index, record_.data(), kUserRecordSize);
  });
  set_last_err(result);
  if (result < 0) return false;
  Result<std::string> name = DomainNameAt(context(), domain_index);
  domain_ = name.ok() ? *name : std::string();
  return true;
}

bool AccountObject::AuthenticateUserHash(const std::string& username, const std::string& hash,
                                         const std::string& ip, const std::string& method) {
  const size_t bar = method.find('|');
  AuthRequest request;
  request.method = HashMethodOfName(Trim(std::string_view(method).substr(0, bar)));
  if (bar != std::string::npos) request.challenge = Trim(std::string_view(method).substr(bar + 1));
  request.login = username;
  request.secret = hash;
  request.address = ip;
  AuthResult result;
  if (!AuthenticateAccount(context(), request, &result)) return false;
  record_ = result.record;
  domain_ = result.domain;
  return true;
}

bool AccountObject::ValidateUser() { return ValidateAccountAccess(context(), record_); }

bool AccountObject::CanCreateMailbox(const std::string& alias, const std::string& mailbox,
                                     const std::string& password, const std::string& domain) {
  set_last_err(0);
  const std::string& name = domain.empty() ? domain_ : domain;
  if (FindDomainPosition(context(), name) < 0) return false;
  return !FindMailboxConflict(context(), mailbox, password, alias, name);
}

bool AccountObject::MailboxConvertMessages(const std::string& mailbox_path, bool from_imap,
                                           bool recursive) {
  const MailboxConversion how{.from_imap = from_imap, .probe = false, .recursive = recursive};
  return Guarded(false, [&] { return ConvertMailbox(context(), mailbox_path, how); });
}

bool AccountObject::FindInitQuery(const std::string& domain, const std::string& query) {
  EndWalk();
  Reset();
  walk_.reset(OnInitialisedIn<UserEnumState*>(context(), nullptr, nullptr, [&](Context& c) {
    return InitUsersQuery(c, domain.c_str(), query.empty() ? nullptr : query.c_str()).release();
  }));
  const bool started = walk_ != nullptr;
  set_last_err(started ? -1 : 0);
  return started;
}

bool AccountObject::FindNext() {
  bool found = false;
  if (walk_) {
    UserRecord next{};
    found = NextUser(context(), walk_.get(), next.data(), kUserRecordSize);
    if (found) {
      record_ = next;
      index_ = WalkIndex(*walk_);
      domain_ = GetPString(walk_->data() + walk_offsets::kDomain, walk_offsets::kDomainCapacity);
      new_ = false;
    }
  }
  set_last_err(found ? -1 : 0);
  return found;
}

void AccountObject::EndWalk() {
  if (walk_) DoneUsers(context(), std::move(walk_));
  walk_.reset();
}

void AccountObject::FindDone() {
  EndWalk();
  set_last_err(0);
}

std::string AccountObject::EmailAddress() const { return PrimaryAliasOf(record_) + "@" + domain_; }

}  // namespace tarvelin::automation
