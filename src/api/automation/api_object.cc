#include "api/automation/api_object.h"

#include <algorithm>
#include <optional>
#include <cstring>
#include <span>
#include <vector>

#include "api/automation/automation_error.h"
#include "api/automation/automation_server.h"
#include "api/automation/property_access.h"
#include "api/automation/schedule_exchange.h"
#include "api/c/domain_operations.h"
#include "api/c/export_guard.h"
#include "api/c/traffic_report_export.h"
#include "api/c/spam_index_export.h"
#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "core/config/init.h"
#include "core/context.h"
#include "core/database_tables.h"
#include "core/dns_server_check.h"
#include "core/domains/domain_operations.h"
#include "jobs/backup/backup_config.h"
#include "jobs/backup/restore_config.h"
#include "jobs/migration/login_check.h"
#include "jobs/migration/migration_queue.h"
#include "jobs/challenge/challenge_store.h"
#include "jobs/challenge/challenge_tables.h"
#include "jobs/service_tables/service_tables.h"
#include "jobs/idn/idn_text_forms.h"
#include "jobs/upgrade/upgrade_tasks.h"
#include "schema/schedule_layout.h"

namespace tarvelin::automation {

namespace {

constexpr char kDomainClass[] = "OrvikCOM.DomainObject";
constexpr int32_t kDomainEntrySize = 96;
constexpr int32_t kDomainNameArea = 256;

// The service commands: what each member posts.
constexpr uint32_t kRunNow = 1280;
constexpr uint32_t kConnectNow = 1290;
constexpr uint32_t kSpamDatabase = 1440;
constexpr int kSmtp = 0;
constexpr int kPop3 = 1;
constexpr int kControl = 2;

bool Succeeded(int32_t result) { return result >= 0; }

}  // namespace

const ClassInfo& ApiObject::Info() {
  using P = Param;
  using A = ApiObject;
  auto none = [](auto body) {
    return [body](A& self, const Arguments& args) {
      body(self, args);
      return Variant();
    };
  };
  auto command = [](int service, uint32_t message, uint32_t parameter) {
    return [=](A& self, const Arguments&) {
      self.PostCommand(service, message, parameter, 0);
      return Variant();
    };
  };
  auto command_with = [](int service, uint32_t parameter) {
    return [=](A& self, const Arguments& a) {
      self.PostCommand(service, kRunNow, parameter, static_cast<uint32_t>(a.Int(0)));
      return Variant();
    };
  };
  auto traffic_report = [](bool per_day) {
    return [=](A& self, const Arguments& a) {
      return Variant::Bool(
          self.GetUserStatistics(a.Text(0), a.Text(1), a.Text(2), a.Text(3), per_day));
    };
  };
  static const ClassInfo info{
      *registration::ClassIdsNamed("APIObject"),
      {
          MemberOf<A>("Done", 0xc9, kMethod, {},
                      none([](A& self, const Arguments&) { self.Done(); })),
          MemberOf<A>("Init", 0xca, kMethod, {P::kText},
                      [](A& self, const Arguments& a) { return Variant::Bool(self.Init(a.Text(0))); }),
          MemberOf<A>("UpdateConfiguration", 0xcb, kMethod, {},
                      none([](A& self, const Arguments&) { self.UpdateConfiguration(); })),
          MemberOf<A>("ReloadServices", 0xcc, kMethod, {},
                      none([](A& self, const Arguments&) { self.ReloadServices(); })),
          MemberOf<A>("BackupConfig", 0xcd, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.BackupConfig(a.Text(0)));
                      }),
          MemberOf<A>("RestoreConfig", 0xce, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.RestoreConfig(a.Text(0)));
                      }),
          MemberOf<A>("SpamIndexNow", 0xcf, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.SpamIndexNow(a.Text(0)));
                      }),
          MemberOf<A>("GetDomainCount", 0xd0, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::I4(self.GetDomainCount()); }),
          MemberOf<A>("Save", 0xd1, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::Bool(self.Save()); }),
          MemberOf<A>("DeleteDomain", 0xd2, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.DeleteDomain(a.Text(0)));
                      }),
          MemberOf<A>("RenameDomain", 0xd3, kMethod, {P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.RenameDomain(a.Text(0), a.Text(1)));
                      }),
          MemberOf<A>("SetProperty", 0xd4, kMethod, {P::kVariant, P::kVariant},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.SetProperty(a.Value(0), a.Value(1)));
                      }),
          MemberOf<A>("LastErr", 0xd9, kPropertyGet, {},
                      [](A& self, const Arguments&) { return Variant::I4(self.LastErr()); }),
          MemberOf<A>("GetDomainList", 0xd5, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::Text(self.GetDomainList()); }),
          MemberOf<A>("GetDomain", 0xd6, kMethod, {P::kInt},
                      [](A& self, const Arguments& a) {
                        return Variant::Text(self.GetDomain(a.Int(0)));
                      }),
          MemberOf<A>("OpenDomain", 0xd7, kMethod, {P::kText},
                      [](A& self, const Arguments& a) { return self.OpenDomain(a.Text(0)); }),
          MemberOf<A>("NewDomain", 0xd8, kMethod, {P::kText},
                      [](A& self, const Arguments& a) { return self.NewDomain(a.Text(0)); }),
          MemberOf<A>("GetProperty", 0xda, kMethod, {P::kVariant},
                      [](A& self, const Arguments& a) { return self.GetProperty(a.Value(0)); }),
          MemberOf<A>("GetDomainIndex", 0xdb, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::I4(self.GetDomainIndex(a.Text(0)));
                      }),
          MemberOf<A>("GetSchedule", 0xdc, kMethod, {P::kVariant},
                      [](A& self, const Arguments& a) { return self.GetSchedule(a.Value(0)); }),
          MemberOf<A>("SetSchedule", 0xdd, kMethod, {P::kVariant, P::kVariant},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.SetSchedule(a.Value(0), a.Value(1)));
                      }),
          MemberOf<A>("GetUserStatistics", 0xde, kMethod, {P::kText, P::kText, P::kText, P::kText},
                      traffic_report(false)),
          MemberOf<A>("GetUserStatisticsDays", 0xdf, kMethod,
                      {P::kText, P::kText, P::kText, P::kText}, traffic_report(true)),
          MemberOf<A>("CreateTables", 0xe0, kMethod, {P::kInt, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.CreateTables(a.Int(0), a.Text(1)));
                      }),
          MemberOf<A>("DropTables", 0xe1, kMethod, {P::kInt},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.DropTables(a.Int(0)));
                      }),
          MemberOf<A>("ChallengeResponseList", 0xe2, kMethod, {P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Text(self.ChallengeResponseList(a.Text(0), a.Text(1)));
                      }),
          MemberOf<A>("ChallengeResponseAdd", 0xe3, kMethod, {P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.ChallengeResponseAdd(a.Text(0), a.Text(1), a.Text(2)));
                      }),
          MemberOf<A>("ChallengeResponseDelete", 0xe4, kMethod, {P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.ChallengeResponseDelete(a.Text(0), a.Text(1), a.Text(2)));
                      }),
          MemberOf<A>("ChallengeResponseAuthorize", 0xe5, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.ChallengeResponseAuthorize(a.Text(0)));
                      }),
          MemberOf<A>("ChallengeResponsePath", 0xe6, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Text(self.ChallengeResponsePath(a.Text(0)));
                      }),
          MemberOf<A>("AntiVirusUpdate", 0xe7, kMethod, {}, command(kControl, kRunNow, 3)),
          MemberOf<A>("AntiSpamUpdate", 0xe8, kMethod, {}, command(kControl, kRunNow, 6)),
          MemberOf<A>("SpamCompactDB", 0xe9, kMethod, {}, command(kSmtp, kSpamDatabase, 3)),
          MemberOf<A>("ConnectNow", 0xea, kMethod, {}, command(kControl, kConnectNow, 0)),
          MemberOf<A>("RemoteServerWatchdogNow", 0xeb, kMethod, {},
                      command(kControl, kRunNow, 4)),
          MemberOf<A>("TaskEventNow", 0xec, kMethod, {P::kInt}, command_with(kControl, 5)),
          MemberOf<A>("RemoteAccountNow", 0xed, kMethod, {P::kInt}, command_with(kPop3, 1)),
          MemberOf<A>("FTPSyncNow", 0xee, kMethod, {P::kInt, P::kInt},
                      [](A& self, const Arguments& a) {
                        const uint32_t host = static_cast<uint32_t>(a.Int(0));
                        const uint32_t item = static_cast<uint32_t>(a.Int(1));
                        self.PostCommand(kControl, kRunNow, 7, (host << 16) | item);
                        return Variant();
                      }),
          MemberOf<A>("ETRNNow", 0xef, kMethod, {P::kInt}, command_with(kSmtp, 1)),
          MemberOf<A>("CheckDBConnection", 0xf0, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.CheckDBConnection(a.Text(0)));
                      }),
          MemberOf<A>("CheckDNSServer", 0xf1, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.CheckDNSServer(a.Text(0)));
                      }),
          MemberOf<A>("Migration_MigrateMessages", 0xf2, kMethod,
                      {P::kBool, P::kText, P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.MigrateMessages(a.Bool(0), a.Text(1), a.Text(2),
                                                                  a.Text(3), a.Text(4)));
                      }),
          MemberOf<A>("Migration_MigrateMessagesAccounts", 0xf3, kMethod,
                      {P::kBool, P::kText, P::kText, P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(
                            self.MigrateMessagesAccounts(a.Bool(0), a.Text(1), a.Text(2), a.Text(3)));
                      }),
          MemberOf<A>("Migration_Finish", 0xf4, kMethod, {},
                      [](A& self, const Arguments&) { return Variant::I4(self.MigrationFinish()); }),
          MemberOf<A>("ProcessUpgradeTasks", 0xf5, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Bool(self.ProcessUpgradeTasks(a.Text(0)));
                      }),
          MemberOf<A>("IDNToUTF8", 0xf6, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Text(self.IDNToUTF8(a.Text(0)));
                      }),
          MemberOf<A>("UTF8ToIDN", 0xf7, kMethod, {P::kText},
                      [](A& self, const Arguments& a) {
                        return Variant::Text(self.UTF8ToIDN(a.Text(0)));
                      }),
      },
      [](AutomationServer& server) -> AutomationObject* { return new ApiObject(server); }};
  return info;
}

void ApiObject::Done() {
  GuardedVoid([&] { tarvelin::Done(context()); });
  set_last_err(0);
}

bool ApiObject::Init(const std::string& path) {
  const int32_t result = Guarded(kResultNotLoadable, [&] {
    return ApiResultOf(tarvelin::Init(context(), path.empty() ? nullptr : path.c_str()));
  });
  set_last_err(result);
  return Succeeded(result);
}

void ApiObject::UpdateConfiguration() {
  Guarded(0, [&] { return tarvelin::UpdateConfiguration(context().Channel()); });
  set_last_err(0);
}

void ApiObject::ReloadServices() {
  Guarded(0, [&] { return tarvelin::ReloadServices(context().Channel()); });
  set_last_err(0);
}

bool ApiObject::BackupConfig(const std::string& path) {
  const int32_t result = OnInitialisedIn(
      context(), [&](Context& c) { return ApiResultOf(BackupConfiguration(c, path)); });
  set_last_err(result);
  return Succeeded(result);
}

bool ApiObject::RestoreConfig(const std::string& path) {
  const int32_t result = OnInitialisedIn(
      context(), [&](Context& c) { return ApiResultOf(RestoreConfiguration(c, path)); });
  set_last_err(result);
  return Succeeded(result);
}

bool ApiObject::SpamIndexNow(const std::string& email) {
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return capi::SpamIndexNow(c, email.empty() ? nullptr : email.c_str());
  });
  set_last_err(result);
  return Succeeded(result);
}

int32_t ApiObject::GetDomainCount() {
  const int32_t count = OnInitialisedIn<int32_t>(context(), kResultNotInitialised, 0,
                                                 [](Context& c) { return capi::GetDomainCount(c); });
  set_last_err(count);
  return count;
}

bool ApiObject::Save() {
  Guarded(0, [&] { return tarvelin::SaveConfig(context()); });
  set_last_err(0);
  return true;
}

bool ApiObject::DeleteDomain(const std::string& domain) {
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return capi::DeleteDomain(c, FindDomainPosition(c, domain));
  });
  set_last_err(result);
  return Succeeded(result);
}

bool ApiObject::RenameDomain(const std::string& old_name, const std::string& new_name) {
  const int32_t result = OnInitialisedIn(context(), [&](Context& c) {
    return capi::RenameDomain(c, old_name.c_str(), new_name.c_str());
  });
  set_last_err(result);
  return Succeeded(result);
}

bool ApiObject::SetProperty(const Variant& command, const Variant& value) {
  return SetPropertyBy(*this, command, value, [&](int32_t id, const void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context& c) {
      return ApiResultOf(tarvelin::SetConfigSetting(c, id, buffer, size));
    });
  });
}

Variant ApiObject::GetProperty(const Variant& command) {
  return GetPropertyGrowing(*this, command, [&](int32_t id, void* buffer, int32_t size) {
    return OnInitialisedIn(context(), [&](Context& c) {
      return ApiResultOf(tarvelin::GetConfigSetting(c, id, buffer, size));
    });
  });
}

std::string ApiObject::GetDomainList() {
  // The count answers -5 before Init, and the list then fails the same.
  const int32_t count = std::max(0, GetDomainCount());
  std::vector<char> area(static_cast<size_t>(count) * kDomainEntrySize + 2, '\0');
  const int32_t result = OnInitialisedIn<int32_t>(
      context(), kResultNotInitialised, kResultBufferTooSmall, [&](Context& c) {
        return capi::GetDomainList(c, area.data(), static_cast<int32_t>(area.size()));
      });
  set_last_err(result);
  if (result < 1) return std::string();
  std::string list(area.data(), static_cast<size_t>(result));
  std::replace(list.begin(), list.end() - 1, '\0', ';');
  return list;
}

std::string ApiObject::GetDomain(int32_t index) {
  char area[kDomainNameArea] = {};
  const int32_t result = OnInitialisedIn<int32_t>(
      context(), kResultNotInitialised, kResultBufferTooSmall,
      [&](Context& c) { return capi::GetDomainName(c, index, area, kDomainNameArea); });
  set_last_err(0);
  return result > 0 ? std::string(area, static_cast<size_t>(result)) : std::string();
}

int32_t ApiObject::GetDomainIndex(const std::string& domain) {
  const int32_t index = OnInitialisedIn(
      context(), [&](Context& c) { return capi::GetDomainIndex(c, domain.c_str()); });
  set_last_err(index);
  return index;
}

Variant ApiObject::DomainChild(const char* method, const std::string& domain) {
  ObjectRef child = server().CreateChild(kDomainClass);
  const Variant done = server().CallByName(child, method, {Variant::Text(domain)});
  const Variant last_err = server().CallByName(child, "LastErr", {}, kPropertyGet);
  set_last_err(last_err.ToInt32().value_or(0));
  if (!done.ToBool().value_or(false)) return Variant();
  return Variant::Object(std::move(child));
}

Variant ApiObject::OpenDomain(const std::string& domain) { return DomainChild("Open", domain); }

Variant ApiObject::NewDomain(const std::string& domain) { return DomainChild("New", domain); }

Variant ApiObject::GetSchedule(const Variant& command) {
  const int32_t number = ResolveProperty(context().properties(), command).number;
  return ScheduleObjectFrom(server(), [&](void* area, int32_t size) {
    return OnInitialisedIn(context(), [&](Context& c) {
      return ApiResultOf(tarvelin::GetConfigSetting(c, number, area, size));
    });
  });
}

bool ApiObject::SetSchedule(const Variant& command, const Variant& schedule) {
  const int32_t number = ResolveProperty(context().properties(), command).number;
  return Succeeded(ScheduleBlockTo(server(), schedule, [&](const void* block, int32_t size) {
    return OnInitialisedIn(context(), [&](Context& c) {
      return ApiResultOf(tarvelin::SetConfigSetting(c, number, block, size));
    });
  }));
}

bool ApiObject::GetUserStatistics(const std::string& from, const std::string& to,
                                  const std::string& filter, const std::string& output,
                                  bool per_day) {
  return Succeeded(OnInitialisedIn(context(), [&](Context& c) {
    return capi::GetUserStat(c, from.c_str(), to.c_str(), filter.c_str(), output.c_str(), per_day);
  }));
}

void ApiObject::PostCommand(int service_id, uint32_t message, uint32_t parameter,
                            uint32_t value) {
  GuardedVoid([&] { context().Channel().NotifyService(service_id, message, parameter, value); });
}

bool ApiObject::CreateTables(int32_t service, const std::string& connection) {
  const std::optional<TableService> which = TableServiceOf(service);
  if (!which) return false;
  return Guarded(false,
                 [&] { return CreateServiceTables(context(), *which, connection).ok(); });
}

bool ApiObject::DropTables(int32_t service) {
  const std::optional<TableService> which = TableServiceOf(service);
  if (!which) return false;
  return Guarded(false, [&] { return DropServiceTables(context(), *which).ok(); });
}

std::string ApiObject::ChallengeResponseList(const std::string& recipient,
                                             const std::string& flags) {
  return Guarded(std::string(), [&] {
    Result<std::string> list =
        ListChallenges(context(), ChallengeConnection(context()), recipient, flags);
    return list.ok() ? *list : std::string();
  });
}

bool ApiObject::ChallengeResponseAdd(const std::string& recipient, const std::string& email,
                                     const std::string& state) {
  return Guarded(false, [&] {
    return AddChallenge(context(), ChallengeConnection(context()), recipient, email, state).ok();
  });
}

bool ApiObject::ChallengeResponseDelete(const std::string& recipient, const std::string& email,
                                        const std::string& folder) {
  return Guarded(false, [&] {
    return DeleteChallenge(context(), ChallengeConnection(context()), recipient, email, folder)
        .ok();
  });
}

bool ApiObject::ChallengeResponseAuthorize(const std::string& folder) {
  return Guarded(false, [&] {
    Result<ChallengeAuthorization> done =
        AuthorizeChallenge(context(), ChallengeConnection(context()), folder);
    return done.ok() && done->accepted();
  });
}

std::string ApiObject::ChallengeResponsePath(const std::string& folder) {
  return Guarded(std::string(),
                 [&] { return tarvelin::ChallengeResponsePath(context(), folder); });
}

bool ApiObject::CheckDBConnection(const std::string& connection) {
  return Guarded(false, [&] { return CheckDbConnection(context(), connection).ok(); });
}

bool ApiObject::CheckDNSServer(const std::string& servers) {
  return Guarded(false, [&] { return CheckDnsServer(context(), servers).ok(); });
}

bool ApiObject::MigrateMessages(bool single, const std::string& user, const std::string& password,
                                const std::string& domain, const std::string& list) {
  GuardedVoid([&] {
    QueueMigrations(context(), single ? std::vector<std::string>{user + ":" + password + ":" + domain}
                                      : MigrationListLines(list));
  });
  return true;
}

bool ApiObject::MigrateMessagesAccounts(bool single, const std::string& user,
                                        const std::string& password, const std::string& list) {
  const std::vector<MigrationLogin> logins =
      single ? std::vector<MigrationLogin>{{user, password}} : MigrationListLogins(list);
  return AnyLoginFailed(CheckMigrationLogins(context(), logins));
}

int32_t ApiObject::MigrationFinish() {
  Result<MigrationState> state = FinishMigration(context());
  if (!state.ok()) throw AutomationError(state.status().ToString());
  return static_cast<int32_t>(*state);
}
bool ApiObject::ProcessUpgradeTasks(const std::string& previous_version) {
  UpgradeRun run;
  const Status status = RunUpgradeTasks(context(), previous_version, run);
  if (!status.ok()) throw AutomationError(status.message());
  return true;
}

std::string ApiObject::IDNToUTF8(const std::string& idn) {
  return IdnToUtf8Bytes(server().code_page(), idn);
}

std::string ApiObject::UTF8ToIDN(const std::string& utf8) { return Utf8BytesToIdn(utf8); }

}  // namespace tarvelin::automation
