#include "api/automation/api_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "api/automation/automation_error.h"
#include "api/automation/automation_object.h"
#include "jobs/registration/class_ids.h"
#include "api/automation/schedule_object.h"
#include "core/config/config_variables.h"
#include "core/config/init.h"
#include "core/dns_server_check.h"
#include "foundation/text.h"
#include "schema/config_offsets.h"
#include "schema/schedule_layout.h"
#include "support/automation_installation.h"
#include "support/fake_dns_server.h"
#include "support/dovecot_server.h"
#include "support/fake_service.h"
#include "support/storage_modes.h"

namespace tarvelin::testing {
namespace {

namespace fs = std::filesystem;
using automation::DispatchStatus;
using automation::VarType;

class ApiObjectTest : public AutomationInstallation {
 protected:
  ApiObjectTest() : api_(Create("OrvikCOM.APIObject")) {}

  int32_t LastErr() { return static_cast<int32_t>(Call(api_, "LastErr").integer()); }
  // A member that stores -1, so that a later "unchanged" is visible.
  void MakeLastErrNegative() {
    Call(api_, "GetDomainIndex", {Text("nowhere.test")});
    ASSERT_EQ(LastErr(), -1);
  }
  int32_t DnsTimeout() {
    return static_cast<int32_t>(Call(api_, "GetProperty", {Text("C_DNSTimeout")}).integer());
  }
  // A setting as another program sees it after a save.
  uint32_t SavedNumber(int32_t id) {
    Context other;
    EXPECT_TRUE(Init(other, dir_.path().c_str()).ok());
    uint8_t bytes[4] = {};
    EXPECT_TRUE(GetConfigSetting(other, id, bytes, 4).ok());
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }

  ObjectRef api_;
};

constexpr int32_t kDnsTimeoutId = 72;

TEST_F(ApiObjectTest, MembersAreThoseOfTheInterfaceWithTheirIdentifiers) {
  struct Case {
    const char* name;
    int32_t dispid;
  };
  const std::vector<Case> members = {
      {"Done", 0xc9}, {"Init", 0xca}, {"UpdateConfiguration", 0xcb}, {"ReloadServices", 0xcc},
      {"BackupConfig", 0xcd}, {"RestoreConfig", 0xce}, {"SpamIndexNow", 0xcf},
      {"GetDomainCount", 0xd0}, {"Save", 0xd1},
      {"DeleteDomain", 0xd2}, {"RenameDomain", 0xd3}, {"SetProperty", 0xd4}, {"LastErr", 0xd9},
      {"GetDomainList", 0xd5}, {"GetDomain", 0xd6}, {"OpenDomain", 0xd7}, {"NewDomain", 0xd8},
      {"GetProperty", 0xda}, {"GetDomainIndex", 0xdb}, {"GetSchedule", 0xdc},
      {"SetSchedule", 0xdd}, {"GetUserStatistics", 0xde}, {"GetUserStatisticsDays", 0xdf},
      {"CreateTables", 0xe0}, {"DropTables", 0xe1},
      {"ChallengeResponseList", 0xe2}, {"ChallengeResponseAdd", 0xe3},
      {"ChallengeResponseDelete", 0xe4}, {"ChallengeResponseAuthorize", 0xe5},
      {"ChallengeResponsePath", 0xe6}, {"AntiVirusUpdate", 0xe7}, {"AntiSpamUpdate", 0xe8},
      {"SpamCompactDB", 0xe9}, {"ConnectNow", 0xea}, {"RemoteServerWatchdogNow", 0xeb},
      {"TaskEventNow", 0xec}, {"RemoteAccountNow", 0xed}, {"FTPSyncNow", 0xee},
      {"ETRNNow", 0xef}, {"CheckDBConnection", 0xf0}, {"CheckDNSServer", 0xf1},
      {"Migration_MigrateMessages", 0xf2}, {"Migration_MigrateMessagesAccounts", 0xf3},
      {"Migration_Finish", 0xf4}, {"ProcessUpgradeTasks", 0xf5}, {"IDNToUTF8", 0xf6},
      {"UTF8ToIDN", 0xf7}};
  const automation::ClassInfo& info = api_->Class();
  for (const Case& member : members) {
    EXPECT_EQ(automation::FindDispId(info, member.name), member.dispid) << member.name;
  }
  EXPECT_EQ(info.members.size(), members.size()) << "one entry per member, no property puts";
  EXPECT_EQ(Try(api_, "LastErr", {I4(1)}, automation::kPropertyPut).status,
            DispatchStatus::kMemberNotFound);
}

TEST_F(ApiObjectTest, MadeByEitherNameWithLastErrZero) {
  for (const char* name : {"OrvikCOM.APIObject", "QuorantServer.APIObject"}) {
    ObjectRef object = Create(name);
    ASSERT_TRUE(object) << name;
    EXPECT_EQ(Call(object, "LastErr").integer(), 0) << name;
  }
}

// A Context of its own that nothing has opened: the objects' creation does
// not initialise it, so each Init is the script's.
class FreshApiObjectTest : public ApiObjectTest {
 protected:
  FreshApiObjectTest() {
    automation::ServerOptions options;
    options.resolve = EveryClassRegistered();
    options.auto_init = [](Context&) {};
    fresh_server_ = std::make_unique<automation::AutomationServer>(fresh_, std::move(options));
    fresh_api_ = *fresh_server_->CreateByName("OrvikCOM.APIObject");
  }

  Variant FreshCall(std::string_view member, std::vector<Variant> args = {}) {
    return fresh_server_->CallByName(fresh_api_, member, std::move(args));
  }

  Context fresh_;
  std::unique_ptr<automation::AutomationServer> fresh_server_;
  ObjectRef fresh_api_;
};

TEST_F(FreshApiObjectTest, InitStoresTheExportsNumber) {
  dir_.Write("empty/.keep", "");
  Variant failed = FreshCall("Init", {Text(dir_.path() + "empty")});
  EXPECT_EQ(failed.type(), VarType::kBool);
  EXPECT_FALSE(failed.boolean());
  EXPECT_EQ(FreshCall("LastErr").integer(), -4);
  EXPECT_EQ(FreshCall("GetDomainCount").integer(), -5) << "still not initialised";
  // The list's area is sized by that count: never below its two bytes.
  EXPECT_EQ(FreshCall("GetDomainList").text(), "");
  EXPECT_EQ(FreshCall("LastErr").integer(), -5);

  Variant opened = FreshCall("Init", {Text(dir_.path())});
  EXPECT_EQ(opened.integer(), -1) << "true is -1";
  EXPECT_EQ(FreshCall("LastErr").integer(), 0);
  EXPECT_EQ(FreshCall("GetDomainCount").integer(), 2);
}

TEST_F(FreshApiObjectTest, AnEmptyPathIsNoPath) {
  // A null path takes the installation the environment names.
  const char* before = std::getenv("TARVELIN_INSTALL_DIR");
  const std::string kept = before ? before : "";
  setenv("TARVELIN_INSTALL_DIR", dir_.path().c_str(), 1);
  Variant opened = FreshCall("Init", {Text("")});
  if (before) {
    setenv("TARVELIN_INSTALL_DIR", kept.c_str(), 1);
  } else {
    unsetenv("TARVELIN_INSTALL_DIR");
  }
  EXPECT_TRUE(opened.boolean());
  EXPECT_EQ(FreshCall("GetDomainCount").integer(), 2);
}

TEST_F(ApiObjectTest, AFailedInitThenACountLeavesLastErrZero) {
  // settings.cfg changed since the load: the next Init loads again, here
  // from a folder without one.
  const fs::path settings = dir_.path() + "config/settings.cfg";
  fs::last_write_time(settings, fs::last_write_time(settings) + std::chrono::seconds(5));
  dir_.Write("empty/.keep", "");
  EXPECT_FALSE(Call(api_, "Init", {Text(dir_.path() + "empty")}).boolean());
  EXPECT_EQ(LastErr(), -4);
  EXPECT_GE(Call(api_, "GetDomainCount").integer(), 0);
  EXPECT_EQ(LastErr(), 0) << "the count is stored, and a count reads as 0";
}

TEST_F(ApiObjectTest, PropertiesByNameOrNumberThroughTheGlobalSettings) {
  EXPECT_TRUE(Call(api_, "SetProperty", {Text("C_DNSTimeout"), I4(9)}).boolean());
  EXPECT_EQ(LastErr(), 0);
  Variant by_number = Call(api_, "GetProperty", {I4(kDnsTimeoutId)});
  EXPECT_EQ(by_number.type(), VarType::kI4);
  EXPECT_EQ(by_number.integer(), 9);
  EXPECT_EQ(LastErr(), 0) << "the byte count read as 0";

  // A 2048-byte block needs the growing area.
  Variant block = Call(api_, "GetProperty", {Text("C_Block148")});
  EXPECT_EQ(block.type(), VarType::kText);
  EXPECT_EQ(block.text().size(), 2048u);

  MakeLastErrNegative();
  for (const char* member : {"GetProperty", "SetProperty"}) {
    std::vector<Variant> args = {Text("C_Nothing")};
    if (std::string(member) == "SetProperty") args.push_back(I4(1));
    automation::CallOutcome outcome = Try(api_, member, args);
    EXPECT_EQ(outcome.status, DispatchStatus::kException) << member;
    EXPECT_EQ(outcome.message, "Property c_nothing not found") << member;
    EXPECT_TRUE(outcome.result.empty()) << member;
    EXPECT_EQ(LastErr(), -1) << member << " leaves LastErr as it was";
  }
}

TEST_F(ApiObjectTest, UserStatisticsWriteTheReportAndLeaveLastErr) {
  const std::string output = dir_.path() + "traffic.csv";
  for (const char* member : {"GetUserStatistics", "GetUserStatisticsDays"}) {
    MakeLastErrNegative();
    EXPECT_TRUE(Call(api_, member, {Text("2006/1/1"), Text("2006/1/3"), Text(""), Text(output)})
                    .boolean())
        << member;
    EXPECT_EQ(dir_.Read("traffic.csv").substr(0, 18), "[Domain],[Alias],[") << member;
    EXPECT_NE(dir_.Read("traffic.csv").find("\r\n*,*,0,0,0,0,0,0,"), std::string::npos) << member;
    dir_.Write("traffic.csv", "");
    EXPECT_FALSE(Call(api_, member,
                      {Text("2006/1/1"), Text("2006/1/3"), Text(""), Text(dir_.path() + "no/x")})
                     .boolean())
        << member;
    EXPECT_EQ(LastErr(), -1) << member << " leaves LastErr as it was";
  }
}

TEST_F(ApiObjectTest, SaveAndDoneWriteTheSettings) {
  Call(api_, "SetProperty", {Text("C_DNSTimeout"), I4(11)});
  MakeLastErrNegative();
  Variant saved = Call(api_, "Save");
  EXPECT_TRUE(saved.boolean());
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(SavedNumber(kDnsTimeoutId), 11u);

  Call(api_, "SetProperty", {Text("C_DNSTimeout"), I4(12)});
  MakeLastErrNegative();
  EXPECT_TRUE(Call(api_, "Done").empty());
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(SavedNumber(kDnsTimeoutId), 12u) << "Done saves a pending change";
}

TEST_F(ApiObjectTest, BackupAndRestoreTheConfiguration) {
  const std::string archive = dir_.path() + "config.bak";
  EXPECT_TRUE(Call(api_, "BackupConfig", {Text(archive)}).boolean());
  EXPECT_EQ(LastErr(), 0);
  ASSERT_TRUE(fs::exists(archive));
  const int32_t kept = DnsTimeout();

  Call(api_, "SetProperty", {Text("C_DNSTimeout"), I4(kept + 3)});
  Call(api_, "Save");
  EXPECT_TRUE(Call(api_, "RestoreConfig", {Text(archive)}).boolean());
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(DnsTimeout(), kept);

  EXPECT_FALSE(Call(api_, "BackupConfig", {Text(dir_.path() + "missing/folder/x.bak")}).boolean());
  EXPECT_LT(LastErr(), 0);
  EXPECT_FALSE(Call(api_, "RestoreConfig", {Text(dir_.path() + "no.bak")}).boolean());
  EXPECT_LT(LastErr(), 0);
}

TEST_F(ApiObjectTest, TheDomainListAsOneText) {
  Variant count = Call(api_, "GetDomainCount");
  EXPECT_EQ(count.type(), VarType::kI4);
  EXPECT_EQ(count.integer(), 2);
  EXPECT_EQ(LastErr(), 0);

  const std::string list = Call(api_, "GetDomainList").text();
  EXPECT_EQ(list, std::string("example.org;other.org;\0", 23));
  EXPECT_EQ(LastErr(), 0);

  EXPECT_EQ(Call(api_, "GetDomain", {I4(1)}).text(), "other.org");
  MakeLastErrNegative();
  EXPECT_EQ(Call(api_, "GetDomain", {I4(2)}).text(), "");
  EXPECT_EQ(LastErr(), 0) << "GetDomain always stores 0";
  EXPECT_EQ(Call(api_, "GetDomain", {I4(-1)}).text(), "");

  EXPECT_EQ(Call(api_, "GetDomainIndex", {Text("OTHER.org")}).integer(), 1);
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(Call(api_, "GetDomainIndex", {Text("nowhere.test")}).integer(), -1);
  EXPECT_EQ(LastErr(), -1);
}

TEST_F(ApiObjectTest, DeletingEveryDomainLeavesOneZeroCharacter) {
  EXPECT_FALSE(Call(api_, "DeleteDomain", {Text("nowhere.test")}).boolean());
  EXPECT_EQ(LastErr(), -3) << "the export's answer for position -1";
  for (const char* domain : {"other.org", "EXAMPLE.ORG"}) {
    EXPECT_TRUE(Call(api_, "DeleteDomain", {Text(domain)}).boolean()) << domain;
    EXPECT_EQ(LastErr(), 0) << domain;
  }
  EXPECT_EQ(Call(api_, "GetDomainCount").integer(), 0);
  EXPECT_EQ(Call(api_, "GetDomainList").text(), std::string(1, '\0'));
  EXPECT_EQ(LastErr(), 0) << "one byte read as 0";
}

TEST_F(ApiObjectTest, RenameDomain) {
  EXPECT_TRUE(Call(api_, "RenameDomain", {Text("other.org"), Text("renamed.org")}).boolean());
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(Call(api_, "GetDomainIndex", {Text("renamed.org")}).integer(), 1);
  struct Case {
    const char* from;
    const char* to;
  };
  for (const Case& c : {Case{"nowhere.test", "x.org"}, Case{"example.org", "renamed.org"},
                        Case{"example.org", "bad name"}}) {
    EXPECT_FALSE(Call(api_, "RenameDomain", {Text(c.from), Text(c.to)}).boolean()) << c.to;
    EXPECT_EQ(LastErr(), -1) << c.from << " to " << c.to;
  }
  EXPECT_EQ(Call(api_, "GetDomainList").text(), std::string("example.org;renamed.org;\0", 25));
}

TEST_F(ApiObjectTest, OpenDomainAndNewDomainHandOutDomainObjects) {
  Variant opened = Call(api_, "OpenDomain", {Text("EXAMPLE.ORG")});
  ASSERT_EQ(opened.type(), VarType::kObject);
  EXPECT_EQ(Call(opened.object(), "Name").text(), "EXAMPLE.ORG");
  EXPECT_EQ(LastErr(), 0);

  Variant unknown = Call(api_, "OpenDomain", {Text("nowhere.org")});
  EXPECT_TRUE(unknown.empty());
  EXPECT_EQ(LastErr(), -1) << "the domain object's LastErr";

  Variant fresh = Call(api_, "NewDomain", {Text("new.org")});
  ASSERT_EQ(fresh.type(), VarType::kObject);
  EXPECT_EQ(LastErr(), 0);
  EXPECT_TRUE(Call(fresh.object(), "Save").boolean());
  EXPECT_GE(Call(api_, "GetDomainIndex", {Text("new.org")}).integer(), 0);
}

TEST_F(ApiObjectTest, DomainObjectsNeedTheirClassRegistered) {
  // Without the domain class the creation fails as the platform says, and
  // LastErr stays.
  automation::ServerOptions options;
  options.resolve = [](std::string_view name) -> Result<Guid> {
    if (EqualsNoCase(name, "OrvikCOM.DomainObject")) return Status::NotFound("Class not registered");
    return EveryClassRegistered()(name);
  };
  automation::AutomationServer partial(context_, std::move(options));
  ObjectRef api = *partial.CreateByName("OrvikCOM.APIObject");
  api->set_last_err(-1);
  for (const char* member : {"OpenDomain", "NewDomain"}) {
    std::optional<int32_t> dispid = automation::FindDispId(api->Class(), member);
    automation::CallOutcome outcome =
        automation::Invoke(*api, *dispid, automation::kMethod, {Text("example.org")});
    EXPECT_EQ(outcome.status, DispatchStatus::kException) << member;
    EXPECT_EQ(outcome.message, "Class not registered") << member;
    EXPECT_TRUE(outcome.result.empty()) << member;
    EXPECT_EQ(api->LastErr(), -1) << member;
  }
}

TEST_F(ApiObjectTest, SchedulesOfTheConfigurationGoBothWays) {
  MakeLastErrNegative();
  for (int id : kConfigScheduleIds) {
    ObjectRef schedule = Create("OrvikCOM.ScheduleObject");
    Call(schedule, "Add");
    Call(schedule, "Add");
    Call(schedule, "SetProperty", {Text("SC_ItemTime"), I4(60 * id)});
    Variant stored = Call(api_, "SetSchedule", {I4(id), Variant::Object(schedule)});
    EXPECT_EQ(stored.type(), VarType::kBool);
    EXPECT_TRUE(stored.boolean()) << id;

    uint8_t setting[kScheduleRecordSize] = {};
    ASSERT_EQ(*GetConfigSetting(context_, id, setting, kScheduleRecordSize), kScheduleRecordSize);
    const ScheduleRecord& written =
        static_cast<automation::ScheduleObject&>(*schedule).record();
    EXPECT_TRUE(std::equal(written.begin(), written.end(), setting)) << id;

    Variant got = Call(api_, "GetSchedule", {Text("C_Schedule" + std::to_string(id))});
    ASSERT_EQ(got.type(), VarType::kObject) << id;
    EXPECT_NE(got.object().get(), schedule.get()) << "a new schedule object";
    EXPECT_EQ(Call(got.object(), "Count").integer(), 2) << id;
    Call(got.object(), "Select", {I4(1)});
    EXPECT_EQ(Call(got.object(), "GetProperty", {Text("SC_ItemTime")}).integer(), 60 * id);
  }
  EXPECT_EQ(LastErr(), -1) << "neither member touches LastErr";

  EXPECT_TRUE(Call(api_, "GetSchedule", {Text("C_DNSTimeout")}).empty())
      << "not a schedule setting";
  automation::CallOutcome unknown = Try(api_, "GetSchedule", {Text("C_Nothing")});
  EXPECT_EQ(unknown.status, DispatchStatus::kException);
  EXPECT_EQ(unknown.message, "Property c_nothing not found");
}

// An object whose Data says what the test wants, over a record of the
// size it wants.
class FakeDataObject : public automation::AutomationObject {
 public:
  FakeDataObject(automation::AutomationServer& server, size_t size, bool own_address,
                 int64_t address)
      : AutomationObject(server), record_(size, 0x5a), own_address_(own_address),
        address_(address) {}

  static const automation::ClassInfo& Info() {
    static const automation::ClassInfo info{
        *registration::ClassIdsNamed("ScheduleObject"),
        {automation::MemberOf<FakeDataObject>(
            "Data", 0xca, automation::kPropertyGet, {},
            [](FakeDataObject& self, const automation::Arguments&) {
              return self.own_address_ ? automation::DataAddress(self)
                                       : automation::Variant::I8(self.address_);
            })},
        nullptr};
    return info;
  }
  const automation::ClassInfo& Class() const override { return Info(); }
  std::span<uint8_t> DataRecord() override { return record_; }

 private:
  std::vector<uint8_t> record_;
  bool own_address_;
  int64_t address_;
};

TEST_F(ApiObjectTest, SetScheduleFollowsOnlyTheAddressOfALiveScheduleBlock) {
  uint8_t before[kScheduleRecordSize] = {};
  ASSERT_EQ(*GetConfigSetting(context_, 149, before, kScheduleRecordSize), kScheduleRecordSize);
  uint8_t elsewhere[kScheduleRecordSize] = {};
  struct Case {
    const char* what;
    size_t size;
    bool own_address;
    int64_t address;
  };
  for (const Case& c : {Case{"a made-up number", 284, false, 0x1234},
                        Case{"another block's address", 284, false,
                             static_cast<int64_t>(reinterpret_cast<intptr_t>(elsewhere))},
                        Case{"a record below 284 bytes", 100, true, 0}}) {
    ObjectRef fake = ObjectRef::Adopt(new FakeDataObject(*server_, c.size, c.own_address,
                                                         c.address));
    automation::CallOutcome outcome = Try(api_, "SetSchedule", {I4(149), Variant::Object(fake)});
    EXPECT_EQ(outcome.status, DispatchStatus::kException) << c.what;
    EXPECT_NE(outcome.message.find("is not the record of a live schedule object"),
              std::string::npos)
        << c.what << ": " << outcome.message;
  }
  automation::CallOutcome no_object = Try(api_, "SetSchedule", {I4(149), I4(0x1234)});
  EXPECT_EQ(no_object.status, DispatchStatus::kException);
  EXPECT_EQ(no_object.message, "Object required");
  automation::CallOutcome no_data = Try(api_, "SetSchedule", {I4(149), Variant::Object(api_)});
  EXPECT_EQ(no_data.status, DispatchStatus::kException);
  EXPECT_EQ(no_data.message, "Unknown name.");

  uint8_t after[kScheduleRecordSize] = {};
  ASSERT_EQ(*GetConfigSetting(context_, 149, after, kScheduleRecordSize), kScheduleRecordSize);
  EXPECT_TRUE(std::equal(before, before + kScheduleRecordSize, after)) << "nothing stored";
}

TEST_F(ApiObjectTest, ServiceCommandsReachTheirService) {
  const std::string run = dir_.path() + "run/";
  FakeService control(run, "TarvelinControl");
  FakeService smtp(run, "TarvelinSMTP");
  FakeService pop3(run, "TarvelinPOP3");
  ASSERT_TRUE(control.ready() && smtp.ready() && pop3.ready());
  struct Case {
    const char* member;
    std::vector<Variant> args;
    FakeService* service;
    uint32_t message, parameter, value;
  };
  const std::vector<Case> cases = {
      {"AntiVirusUpdate", {}, &control, 1280, 3, 0},
      {"AntiSpamUpdate", {}, &control, 1280, 6, 0},
      {"SpamCompactDB", {}, &smtp, 1440, 3, 0},
      {"ConnectNow", {}, &control, 1290, 0, 0},
      {"RemoteServerWatchdogNow", {}, &control, 1280, 4, 0},
      {"TaskEventNow", {I4(4)}, &control, 1280, 5, 4},
      {"RemoteAccountNow", {I4(6)}, &pop3, 1280, 1, 6},
      {"FTPSyncNow", {I4(2), I4(5)}, &control, 1280, 7, 131077},
      {"ETRNNow", {I4(3)}, &smtp, 1280, 1, 3},
  };
  MakeLastErrNegative();
  for (const Case& c : cases) {
    const size_t before = c.service->Requests().size();
    EXPECT_TRUE(Call(api_, c.member, c.args).empty()) << c.member;
    std::vector<std::string> requests = c.service->Requests();
    ASSERT_EQ(requests.size(), before + 1) << c.member;
    EXPECT_EQ(requests.back(), CommandHex(4096, c.message, c.parameter, c.value)) << c.member;
  }
  EXPECT_EQ(LastErr(), -1) << "the commands do not touch LastErr";
}

TEST_F(ApiObjectTest, SpamIndexNowAsksTheSmtpServiceUnlessTheAccountIsUnknown) {
  FakeService smtp(dir_.path() + "run/", "TarvelinSMTP");
  ASSERT_TRUE(smtp.ready());
  MakeLastErrNegative();
  EXPECT_TRUE(Call(api_, "SpamIndexNow", {Text("")}).boolean()) << "empty: only the request";
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(smtp.Requests(), std::vector<std::string>{CommandHex(4096, 1440, 0, 0)});

  EXPECT_FALSE(Call(api_, "SpamIndexNow", {Text("nobody@example.org")}).boolean());
  EXPECT_EQ(LastErr(), -1);
  EXPECT_EQ(smtp.Requests().size(), 1u) << "nothing sent for an unknown account";
}

TEST_F(ApiObjectTest, ServiceCommandsWithoutServicesDoNothing) {
  for (const char* member : {"AntiVirusUpdate", "SpamCompactDB", "ConnectNow"}) {
    EXPECT_EQ(Try(api_, member).status, DispatchStatus::kOk) << member;
  }
  EXPECT_EQ(Try(api_, "FTPSyncNow", {I4(-1), I4(-1)}).status, DispatchStatus::kOk);
}

TEST_F(ApiObjectTest, UpdateConfigurationAndReloadServicesTellTheControlService) {
  FakeService control(dir_.path() + "run/", "TarvelinControl");
  ASSERT_TRUE(control.ready());
  MakeLastErrNegative();
  EXPECT_TRUE(Call(api_, "UpdateConfiguration").empty());
  EXPECT_EQ(LastErr(), 0);
  MakeLastErrNegative();
  EXPECT_TRUE(Call(api_, "ReloadServices").empty());
  EXPECT_EQ(LastErr(), 0);
  EXPECT_EQ(control.Requests(), (std::vector<std::string>{CommandHex(4096, 1280, 0, 0),
                                                          CommandHex(4096, 1299, 0, 0)}));
}

TEST_F(ApiObjectTest, CheckDBConnectionWithTheDatabaseLibrary) {
  EXPECT_FALSE(Call(api_, "CheckDBConnection", {Text("driver=sqlite;database=a.db")}).boolean())
      << "no library here";
  const std::string unavailable = StorageModeUnavailable(StorageMode::kSqlite);
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  fs::create_symlink(TARVELIN_REAL_DB, dir_.path() + "db.so");
  MakeLastErrNegative();
  Variant good = Call(api_, "CheckDBConnection", {Text("driver=sqlite;database=check.db")});
  EXPECT_EQ(good.type(), VarType::kBool);
  EXPECT_TRUE(good.boolean());
  EXPECT_TRUE(context_.backend().loaded()) << "loaded for the check";
  EXPECT_FALSE(Call(api_, "CheckDBConnection",
                    {Text("driver=sqlite;database=/nonexistent/folder/x.db")})
                   .boolean());
  EXPECT_FALSE(Call(api_, "CheckDBConnection", {Text("driver=nothing")}).boolean());
  EXPECT_EQ(LastErr(), -1) << "LastErr is not changed";
}

// The challenge-response members over db.so with SQLite: CreateTables(3)
// stores the connection in spam.dat, the pairs go through it, and
// DropTables(3) drops what it named.
TEST_F(ApiObjectTest, ChallengeResponseMembersThroughTheStoredConnection) {
  EXPECT_EQ(Call(api_, "ChallengeResponseList", {Text("bob@example.org"), Text("")}).text(), "")
      << "no library here";
  EXPECT_FALSE(Call(api_, "ChallengeResponseAdd",
                    {Text("bob@example.org"), Text("ann@example.com"), Text("2")})
                   .boolean());
  const std::string unavailable = StorageModeUnavailable(StorageMode::kSqlite);
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  fs::create_symlink(TARVELIN_REAL_DB, dir_.path() + "db.so");
  MakeLastErrNegative();

  ASSERT_TRUE(
      Call(api_, "CreateTables", {I4(3), Text("driver=sqlite;database=challenge.db")}).boolean());
  EXPECT_TRUE(fs::exists(dir_.path() + "config/challenge.db"));
  std::string spam;
  ASSERT_TRUE(context_.env().ReadFile(context_.config.derived.spam_directory + "spam.dat", &spam).ok());
  EXPECT_NE(spam.find("SpamChallengeConnection=driver=sqlite;database=challenge.db"),
            std::string::npos)
      << spam;

  ASSERT_TRUE(Call(api_, "ChallengeResponseAdd",
                   {Text("bob@example.org"), Text("ann@example.com"), Text("2")})
                  .boolean());
  EXPECT_EQ(Call(api_, "ChallengeResponseList", {Text("bob@example.org"), Text("")}).text(),
            "ann@example.com;bob@example.org;2;\r\n");
  const std::string folder = "0cc175b9c0f1b6a831c399e269772661";
  const std::string path = Call(api_, "ChallengeResponsePath", {Text(folder)}).text();
  EXPECT_EQ(path, context_.config.derived.spam_directory + "challenge/" + folder + "/");
  fs::create_directories(path);
  std::string record(1024, '\0');
  record.replace(0, 16, "\x0f" "ann@example.com");
  record.replace(256, 16, "\x0f" "bob@example.org");
  std::ofstream(path + "challenge.dat", std::ios::binary) << record;
  EXPECT_FALSE(Call(api_, "ChallengeResponseAuthorize", {Text("..")}).boolean());
  EXPECT_TRUE(fs::exists(path + "challenge.dat"));
  EXPECT_TRUE(Call(api_, "ChallengeResponseAuthorize", {Text(folder)}).boolean());
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(Call(api_, "ChallengeResponseList", {Text(""), Text("1")}).text(),
            "ann@example.com;bob@example.org;1;\r\n");
  EXPECT_TRUE(Call(api_, "ChallengeResponseDelete",
                   {Text("bob@example.org"), Text("ann@example.com"), Text("")})
                  .boolean());
  EXPECT_FALSE(Call(api_, "ChallengeResponseDelete",
                    {Text("bob@example.org"), Text("ann@example.com"), Text("")})
                   .boolean());

  EXPECT_TRUE(Call(api_, "DropTables", {I4(3)}).boolean());
  EXPECT_EQ(Call(api_, "ChallengeResponseList", {Text(""), Text("")}).text(), "")
      << "the table is gone";
  EXPECT_EQ(LastErr(), -1) << "LastErr is not changed";
}

TEST_F(ApiObjectTest, TablesOfAnUnknownServiceChangeNothing) {
  const std::string unavailable = StorageModeUnavailable(StorageMode::kSqlite);
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  fs::create_symlink(TARVELIN_REAL_DB, dir_.path() + "db.so");
  const std::string settings = dir_.path() + "config/settings.cfg";
  std::string before;
  ASSERT_TRUE(context_.env().ReadFile(settings, &before).ok());
  const bool spam_before = fs::exists(context_.config.derived.spam_directory + "spam.dat");
  for (const int32_t service : {-1, 4, 7}) {
    EXPECT_FALSE(Call(api_, "CreateTables", {I4(service), Text("driver=sqlite;database=x.db")})
                     .boolean())
        << service;
    EXPECT_FALSE(Call(api_, "DropTables", {I4(service)}).boolean()) << service;
  }
  std::string after;
  ASSERT_TRUE(context_.env().ReadFile(settings, &after).ok());
  EXPECT_EQ(after, before);
  EXPECT_FALSE(fs::exists(dir_.path() + "config/x.db"));
  EXPECT_EQ(fs::exists(context_.config.derived.spam_directory + "spam.dat"), spam_before);
  EXPECT_FALSE(context_.backend().loaded());
}

TEST_F(ApiObjectTest, CheckDNSServerAsksTheFirstServerOfTheList) {
  Call(api_, "SetProperty", {Text("C_DNSTimeout"), I4(1)});
  struct Case {
    DnsReply reply;
    bool answers;
    const char* why;  // in the core's reason
  };
  for (const Case& c : {Case{DnsReply::kRecords, true, ""},
                        Case{DnsReply::kNoRecords, false, "answered without records"},
                        Case{DnsReply::kError, false, "answered with error code 2"},
                        Case{DnsReply::kWrongId, false, "no answer to the query"},
                        Case{DnsReply::kSilent, false, "gave no answer within 1 s"}}) {
    FakeDnsServer server(c.reply);
    ASSERT_FALSE(server.address().empty());
    // The second server is never asked.
    const std::string list = " " + server.address() + " ;127.0.0.1:1";
    Variant checked = Call(api_, "CheckDNSServer", {Text(list)});
    EXPECT_EQ(checked.type(), VarType::kBool);
    EXPECT_EQ(checked.boolean(), c.answers) << c.why;
    EXPECT_EQ(server.queries(), 1) << c.why;
    const Status status = CheckDnsServer(context_, list);
    EXPECT_NE(status.message().find(c.why), std::string::npos) << status.message();
  }
}

TEST_F(ApiObjectTest, CheckDNSServerWithoutAServer) {
  MakeLastErrNegative();
  std::string closed;
  {
    FakeDnsServer gone(DnsReply::kRecords);
    closed = gone.address();
  }
  struct Case {
    std::string list;
    const char* why;
  };
  for (const Case& c : {Case{"", "no DNS server"}, Case{" ; 127.0.0.1:1", "no DNS server"},
                        Case{"127.0.0.1:99999", "no DNS server"},
                        Case{closed, "Connection refused"}}) {
    EXPECT_FALSE(Call(api_, "CheckDNSServer", {Text(c.list)}).boolean()) << c.list;
    const Status status = CheckDnsServer(context_, c.list);
    EXPECT_NE(status.message().find(c.why), std::string::npos) << status.message();
  }
  EXPECT_EQ(LastErr(), -1) << "LastErr is not changed";
}

TEST_F(ApiObjectTest, TheQueryAsksForAnAddressOfTheCheckName) {
  FakeDnsServer server(DnsReply::kRecords);
  ASSERT_TRUE(CheckDnsServer(context_, server.address()).ok());
  const std::string query = server.last_query();
  ASSERT_GT(query.size(), 12u);
  EXPECT_EQ(query.substr(2, 4), std::string("\x01\x00\x00\x01", 4)) << "recursion, one question";
  EXPECT_EQ(query.substr(12), std::string("\x07" "example\x03" "com\x00\x00\x01\x00\x01", 17));
}

TEST_F(ApiObjectTest, ProcessUpgradeTasksRunsTheLaterStepsAndIsTrue) {
  FakeService smtp(dir_.path() + "run/", "TarvelinSMTP");
  ASSERT_TRUE(smtp.ready());
  MakeLastErrNegative();
  const Variant done = Call(api_, "ProcessUpgradeTasks", {Text("8.3.16")});
  EXPECT_EQ(done.type(), VarType::kBool);
  EXPECT_EQ(done.integer(), -1);
  EXPECT_EQ(LastErr(), -1) << "LastErr is not changed";
  EXPECT_EQ(smtp.Requests(), (std::vector<std::string>{CommandHex(4096, 1280, 257, 0),
                                                       CommandHex(4096, 1280, 4, 16)}));
  // Any text reads as a version: this one as 0, so every step runs.
  EXPECT_EQ(Call(api_, "ProcessUpgradeTasks", {Text("junk")}).integer(), -1);
  EXPECT_EQ(smtp.Requests().size(), 2u + 1 + 10) << "the reload and the ten SMTP steps";
}

TEST_F(FreshApiObjectTest, ProcessUpgradeTasksFailsTheCallWithoutAnInstallation) {
  const automation::CallOutcome outcome =
      Try(fresh_api_, "ProcessUpgradeTasks", {Text("8.3.15")});
  EXPECT_EQ(outcome.status, DispatchStatus::kException);
  EXPECT_NE(outcome.message.find("no installation is open"), std::string::npos) << outcome.message;
  EXPECT_TRUE(outcome.result.empty());
}

// The members' texts are in the system code page: the UTF-8 result's bytes
// are its characters, and the UTF-8 argument's characters are its bytes.
TEST_F(ApiObjectTest, IdnMembersConvertNamesWithoutChangingLastErr) {
  struct Case {
    const char* member;
    std::string argument;
    std::string result;
  };
  const std::vector<Case> cases = {
      {"IDNToUTF8", "xn--bcher-kva.de", "b\xC3\xBC" "cher.de"},
      {"IDNToUTF8", "www.xn--bcher-kva.de.", "www.b\xC3\xBC" "cher.de"},
      {"IDNToUTF8", "XN--bcher-kva.de.", "XN--bcher-kva.de."},
      {"IDNToUTF8", "xn--.xn--bcher-k_a.de", "..de"},
      {"IDNToUTF8", "b\xFC" "cher", "b\xC3\xBC" "cher"},
      {"IDNToUTF8", "", ""},
      {"UTF8ToIDN", "b\xC3\xBC" "cher.de.", "xn--bcher-kva.de."},
      {"UTF8ToIDN", "B\xC3\xBC" "cher.De", "xn--Bcher-kva.De"},
      {"UTF8ToIDN", "example.com", "example.com"},
      {"UTF8ToIDN", "", ""},
  };
  MakeLastErrNegative();
  for (const Case& c : cases) {
    const Variant result = Call(api_, c.member, {Text(c.argument)});
    EXPECT_EQ(result.type(), VarType::kText) << c.member << " " << c.argument;
    EXPECT_EQ(result.text(), c.result) << c.member << " " << c.argument;
  }
  EXPECT_EQ(LastErr(), -1);
}

TEST_F(ApiObjectTest, MigrationMembersQueueCheckAndFinishWithoutTouchingLastErr) {
  FakeService pop3(dir_.path() + "run/", "TarvelinPOP3");
  ASSERT_TRUE(pop3.ready());
  MakeLastErrNegative();
  const Variant single = Variant::Bool(true);
  const Variant bulk = Variant::Bool(false);

  EXPECT_EQ(Call(api_, "Migration_Finish").integer(), 2) << "no migrate.dat: all finished";
  Variant queued = Call(api_, "Migration_MigrateMessages",
                        {single, Text("ann"), Text("a1"), Text("example.org"), Text("ignored")});
  EXPECT_EQ(queued.type(), VarType::kBool);
  EXPECT_EQ(queued.integer(), -1);
  EXPECT_EQ(Call(api_, "Migration_MigrateMessages",
                 {bulk, Text("x"), Text("y"), Text("z"), Text("bob:b2:b@other.org\n\n:skipped\n")})
                .integer(),
            -1)
      << "true also when a line is skipped";
  const std::string dat = dir_.path() + "config/migrate.dat";
  EXPECT_EQ(fs::file_size(dat), 2u * 256u);
  EXPECT_EQ(Call(api_, "Migration_Finish").integer(), 0);

  // Nothing listens on that port: a login with a password fails.
  context_.config.record.SetText(offsets::kServerAddresses,
                                 "127.0.0.1:" + std::to_string(FreeLoopbackPort()));
  struct Case {
    Variant single;
    std::string user, password, list;
    bool failed;
  };
  const std::vector<Case> cases = {
      {single, "ann", "", "", false},
      {single, "ann", "a1", "", true},
      {bulk, "", "", "nocolon\nann:\n", false},
      {bulk, "", "", "ann:\nbob:b2\n", true},
  };
  for (const Case& c : cases) {
    const Variant failed = Call(api_, "Migration_MigrateMessagesAccounts",
                                {c.single, Text(c.user), Text(c.password), Text(c.list)});
    EXPECT_EQ(failed.integer(), c.failed ? -1 : 0) << c.user << " " << c.list;
  }
  EXPECT_EQ(LastErr(), -1);
  const std::vector<std::string> requests = pop3.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front(), CommandHex(4096, 1536, 1, 0));
}

TEST_F(ApiObjectTest, MigrationFinishFailsOnAnUnreadableQueue) {
  fs::create_directories(dir_.path() + "config/migrate.dat");
  EXPECT_EQ(Try(api_, "Migration_Finish").status, DispatchStatus::kException);
}

}  // namespace
}  // namespace tarvelin::testing
