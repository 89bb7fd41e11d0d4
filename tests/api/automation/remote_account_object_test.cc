#include "api/automation/remote_account_object.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "api/automation/automation_error.h"
#include "api/automation/schedule_exchange.h"
#include "api/automation/schedule_object.h"
#include "support/automation_installation.h"

namespace tarvelin::testing {
namespace {

using automation::CallOutcome;
using automation::DispatchStatus;
using automation::RemoteAccountObject;
using automation::VarType;

class RemoteAccountObjectTest : public AutomationInstallation {
 protected:
  RemoteAccountObjectTest() : object_(Create("OrvikCOM.RemoteAccountObject")) {}

  RemoteAccountObject& remote(const ObjectRef& object) {
    return static_cast<RemoteAccountObject&>(*object);
  }
  int32_t LastErr(const ObjectRef& object) {
    return static_cast<int32_t>(Call(object, "LastErr").integer());
  }
  int32_t Count() { return static_cast<int32_t>(Call(object_, "Count").integer()); }
  std::string Text235(const ObjectRef& object) {
    return Call(object, "GetProperty", {Text("RA_Domain")}).text();
  }
  std::string Server(const ObjectRef& object) {
    return Call(object, "GetProperty", {Text("RA_Text224")}).text();
  }

  // A saved remote account for each server, in order.
  void AddAccounts(const std::vector<std::string>& servers) {
    for (const std::string& server : servers) {
      ObjectRef added = Create("OrvikCOM.RemoteAccountObject");
      Call(added, "SetProperty", {Text("RA_Text224"), Text(server)});
      ASSERT_TRUE(Call(added, "Save").boolean()) << server;
    }
  }
  // The servers of remote.cfg, in order.
  std::vector<std::string> Servers() {
    std::vector<std::string> servers;
    ObjectRef reader = Create("OrvikCOM.RemoteAccountObject");
    for (int32_t i = 0; i < Count(); ++i) {
      Call(reader, "Open", {I4(i)});
      servers.push_back(Server(reader));
    }
    return servers;
  }

  ObjectRef object_;
};

TEST_F(RemoteAccountObjectTest, MembersHaveTheirDispatchNumbersAndKinds) {
  struct Case {
    const char* name;
    int32_t dispid;
    automation::CallKind kind;
  };
  const Case kCases[] = {
      {"LastErr", 0xc9, automation::kPropertyGet}, {"Data", 0xca, automation::kPropertyGet},
      {"New", 0xcb, automation::kMethod},          {"Open", 0xcc, automation::kMethod},
      {"Save", 0xcd, automation::kMethod},         {"Delete", 0xce, automation::kMethod},
      {"SetProperty", 0xcf, automation::kMethod},  {"GetProperty", 0xd0, automation::kMethod},
      {"DeleteIndex", 0xd1, automation::kMethod},  {"Count", 0xd2, automation::kMethod},
      {"GetSchedule", 0xd3, automation::kMethod},  {"SetSchedule", 0xd4, automation::kMethod},
  };
  const auto& members = RemoteAccountObject::Info().members;
  ASSERT_EQ(members.size(), std::size(kCases));
  for (size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(members[i].name, kCases[i].name);
    EXPECT_EQ(members[i].dispid, kCases[i].dispid) << kCases[i].name;
    EXPECT_EQ(members[i].kind, kCases[i].kind) << kCases[i].name;
  }
}

TEST_F(RemoteAccountObjectTest, SaveWithoutLocalDomainTakesTheFirstDomainThenOpenReadsItBack) {
  EXPECT_EQ(Count(), 0);
  Call(object_, "SetProperty", {Text("RA_Login"), Text("joe")});
  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_FALSE(remote(object_).is_new());
  EXPECT_EQ(remote(object_).index(), 0);
  EXPECT_EQ(Text235(object_), "example.org");

  // A local domain given is kept.
  ObjectRef second = Create("OrvikCOM.RemoteAccountObject");
  Call(second, "SetProperty", {Text("RA_Domain"), Text("other.org")});
  EXPECT_TRUE(Call(second, "Save").boolean());
  EXPECT_EQ(remote(second).index(), 1);

  ObjectRef reader = Create("OrvikCOM.RemoteAccountObject");
  EXPECT_TRUE(Call(reader, "Open", {I4(0)}).boolean());
  EXPECT_EQ(Call(reader, "GetProperty", {Text("ra_login")}).text(), "joe");
  EXPECT_EQ(Text235(reader), "example.org");
  EXPECT_TRUE(Call(reader, "Open", {I4(1)}).boolean());
  EXPECT_EQ(Text235(reader), "other.org");
  EXPECT_EQ(Count(), 2);
}

TEST_F(RemoteAccountObjectTest, SaveOfAnOpenedAccountReplacesItInPlace) {
  AddAccounts({"a.example", "b.example"});
  EXPECT_TRUE(Call(object_, "Open", {I4(1)}).boolean());
  Call(object_, "SetProperty", {Text("RA_Text224"), Text("b2.example")});
  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_EQ(Servers(), (std::vector<std::string>{"a.example", "b2.example"}));
}

TEST_F(RemoteAccountObjectTest, OpenOnAnEmptyListFailsYetAddressesTheIndex) {
  remote(object_).set_last_err(0);
  EXPECT_FALSE(Call(object_, "Open", {I4(3)}).boolean());
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_FALSE(remote(object_).is_new());
  EXPECT_EQ(remote(object_).index(), 3);
  // New resets it all.
  Call(object_, "SetProperty", {Text("RA_Text224"), Text("x.example")});
  Variant fresh = Call(object_, "New");
  EXPECT_EQ(fresh.type(), VarType::kBool);
  EXPECT_TRUE(fresh.boolean());
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_TRUE(remote(object_).is_new());
  EXPECT_EQ(remote(object_).index(), -1);
  EXPECT_EQ(Server(object_), "");
}

TEST_F(RemoteAccountObjectTest, DeleteRemovesTheOpenedAccountAndResetsTheObject) {
  AddAccounts({"a.example", "b.example", "c.example"});
  ASSERT_TRUE(Call(object_, "Open", {I4(1)}).boolean());
  EXPECT_TRUE(Call(object_, "Delete").boolean());
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_TRUE(remote(object_).is_new());
  EXPECT_EQ(remote(object_).index(), -1);
  EXPECT_EQ(Server(object_), "");
  EXPECT_EQ(Servers(), (std::vector<std::string>{"a.example", "c.example"}));
}

// The object keeps editing its own record while another one goes; its
// Save must not land on the record that moved into its old position.
TEST_F(RemoteAccountObjectTest, DeleteIndexOfAnotherRecordKeepsTheObjectOnItsOwn) {
  AddAccounts({"a.example", "b.example", "c.example"});
  ASSERT_TRUE(Call(object_, "Open", {I4(1)}).boolean());
  Call(object_, "SetProperty", {Text("RA_Text224"), Text("b2.example")});
  EXPECT_TRUE(Call(object_, "DeleteIndex", {I4(0)}).boolean());
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Server(object_), "b2.example") << "its record is not touched";
  EXPECT_EQ(Servers(), (std::vector<std::string>{"b.example", "c.example"}));

  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_EQ(Servers(), (std::vector<std::string>{"b2.example", "c.example"}));

  // A record after its own changes nothing for it.
  EXPECT_TRUE(Call(object_, "DeleteIndex", {I4(1)}).boolean());
  Call(object_, "SetProperty", {Text("RA_Text224"), Text("b3.example")});
  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_EQ(Servers(), (std::vector<std::string>{"b3.example"}));
}

TEST_F(RemoteAccountObjectTest, DeleteIndexOfItsOwnRecordMakesTheObjectNew) {
  AddAccounts({"a.example", "b.example"});
  ASSERT_TRUE(Call(object_, "Open", {I4(0)}).boolean());
  EXPECT_TRUE(Call(object_, "DeleteIndex", {I4(0)}).boolean());
  EXPECT_TRUE(remote(object_).is_new());
  EXPECT_EQ(Server(object_), "a.example");
  // Saved again, it is added rather than written over b.
  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_EQ(Servers(), (std::vector<std::string>{"b.example", "a.example"}));
  EXPECT_EQ(remote(object_).index(), 1);
}

TEST_F(RemoteAccountObjectTest, CountLeavesLastErrAlone) {
  AddAccounts({"a.example", "b.example"});
  remote(object_).set_last_err(-3);
  Variant count = Call(object_, "Count");
  EXPECT_EQ(count.type(), VarType::kI4);
  EXPECT_EQ(count.integer(), 2);
  EXPECT_EQ(LastErr(object_), -3);
}

TEST_F(RemoteAccountObjectTest, AFailedAddLeavesTheObjectNewSoARetryAddsItOnce) {
  // remote.cfg cannot be written while a folder stands in its place.
  const std::string remote_cfg = dir_.path() + "config/remote.cfg";
  std::filesystem::create_directories(remote_cfg + "/blocked");
  Call(object_, "SetProperty", {Text("RA_Text224"), Text("a.example")});
  EXPECT_FALSE(Call(object_, "Save").boolean());
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_TRUE(remote(object_).is_new());

  std::filesystem::remove_all(remote_cfg);
  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_TRUE(Call(object_, "Save").boolean());
  EXPECT_EQ(Servers(), (std::vector<std::string>{"a.example"}));
}

TEST_F(RemoteAccountObjectTest, PropertiesByNameOrNumberAndTheirFailures) {
  EXPECT_TRUE(Call(object_, "SetProperty", {Text("RA_Number240"), Text("995")}).boolean());
  EXPECT_EQ(Call(object_, "GetProperty", {Text("240")}).integer(), 995);
  Variant flag = Call(object_, "GetProperty", {Text("RA_IMAP")});
  EXPECT_EQ(flag.type(), VarType::kI4);
  EXPECT_EQ(flag.integer(), 0);

  remote(object_).set_last_err(-7);
  CallOutcome missing = Try(object_, "GetProperty", {Text("RA_Nothing")});
  EXPECT_EQ(missing.status, DispatchStatus::kException);
  EXPECT_EQ(missing.message, "Property ra_nothing not found");
  EXPECT_EQ(LastErr(object_), -7) << "an error keeps LastErr";
  // A listed number the remote record does not have: the setter's -1.
  EXPECT_FALSE(Call(object_, "SetProperty", {Text("U_Name"), Text("x")}).boolean());
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_TRUE(Call(object_, "GetProperty", {Text("U_Name")}).empty());
}

TEST_F(RemoteAccountObjectTest, DataIsTheAddressOfTheRecord) {
  Variant data = Call(object_, "Data");
  EXPECT_EQ(data.type(), VarType::kI8);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(static_cast<intptr_t>(data.integer())),
            remote(object_).record().data());
}

TEST_F(RemoteAccountObjectTest, ScheduleGoesOutInAScheduleObjectAndComesBackOnSave) {
  Variant out = Call(object_, "GetSchedule", {Text("RA_Schedule")});
  ASSERT_EQ(out.type(), VarType::kObject);
  ObjectRef schedule = out.object();
  EXPECT_EQ(schedule->Class().ids.name, std::string_view("ScheduleObject"));
  EXPECT_EQ(Call(schedule, "Count").integer(), 0);
  Call(schedule, "Add");
  Call(schedule, "SetProperty", {Text("SC_ItemTime"), I4(7200)});
  EXPECT_EQ(Call(object_, "GetSchedule", {I4(246)}).object().get() == schedule.get(), false)
      << "every GetSchedule hands out a fresh object";

  remote(object_).set_last_err(-7);
  Variant stored = Call(object_, "SetSchedule", {Text("RA_Schedule"), Variant::Object(schedule)});
  EXPECT_EQ(stored.type(), VarType::kBool);
  EXPECT_TRUE(stored.boolean());
  EXPECT_EQ(LastErr(object_), -7) << "the schedule members leave LastErr alone";
  ASSERT_TRUE(Call(object_, "Save").boolean());

  ObjectRef reader = Create("OrvikCOM.RemoteAccountObject");
  ASSERT_TRUE(Call(reader, "Open", {I4(0)}).boolean());
  ObjectRef back = Call(reader, "GetSchedule", {Text("RA_Schedule")}).object();
  EXPECT_EQ(Call(back, "Count").integer(), 1);
  EXPECT_EQ(Call(back, "GetProperty", {Text("SC_ItemTime")}).integer(), 7200);
}

TEST_F(RemoteAccountObjectTest, GetScheduleOfASettingThatIsNoBlockIsEmpty) {
  Call(object_, "SetProperty", {Text("RA_Text224"), Text("a.example")});
  for (Variant command : {Text("RA_Domain"), Text("RA_Text224"), I4(240)}) {
    EXPECT_TRUE(Call(object_, "GetSchedule", {command}).empty());
  }
  EXPECT_EQ(Try(object_, "GetSchedule", {Text("RA_Nothing")}).message,
            "Property ra_nothing not found");
}

// A script hands SetSchedule whatever it likes; only a live object's
// record of a whole block is ever read.
TEST_F(RemoteAccountObjectTest, SetScheduleRefusesWhatIsNoScheduleObject) {
  const RemoteAccountRecord before = remote(object_).record();
  ObjectRef statistics = Create("OrvikCOM.StatisticsObject");  // no Data at all
  struct Case {
    const char* what;
    Variant schedule;
    const char* message;
  };
  const Case kCases[] = {
      {"a number", I4(12345), "Object required"},
      {"empty", Variant(), "Object required"},
      {"an object without Data", Variant::Object(statistics), "Unknown name."},
  };
  for (const Case& c : kCases) {
    CallOutcome outcome = Try(object_, "SetSchedule", {Text("RA_Schedule"), c.schedule});
    EXPECT_EQ(outcome.status, DispatchStatus::kException) << c.what;
    EXPECT_EQ(outcome.message, c.message) << c.what;
  }
  EXPECT_EQ(remote(object_).record(), before);
}

TEST_F(RemoteAccountObjectTest, ScheduleBlockAtFollowsOnlyLiveRecordsOfABlock) {
  ObjectRef schedule = Create("OrvikCOM.ScheduleObject");
  const int64_t address = Call(schedule, "Data").integer();
  EXPECT_EQ(automation::ScheduleBlockAt(*server_, Variant::I8(address)).data(),
            static_cast<automation::ScheduleObject&>(*schedule).record().data());
  // The remote record is larger than a block: its first 284 bytes.
  EXPECT_EQ(automation::ScheduleBlockAt(*server_, Call(object_, "Data")).size(), 284u);

  for (Variant bad : {Variant::I8(address + 1), Variant::I8(0), Variant::I4(4096), Text("x")}) {
    EXPECT_THROW(automation::ScheduleBlockAt(*server_, bad), automation::AutomationError);
  }
  schedule = ObjectRef();  // released: its address is gone with it
  EXPECT_THROW(automation::ScheduleBlockAt(*server_, Variant::I8(address)),
               automation::AutomationError);
}

}  // namespace
}  // namespace tarvelin::testing
