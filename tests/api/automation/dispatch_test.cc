#include "api/automation/dispatch.h"

#include <gtest/gtest.h>

#include "api/automation/automation_error.h"
#include "api/automation/automation_object.h"
#include "support/automation_installation.h"

namespace tarvelin::testing {
namespace {

using automation::DispatchStatus;
using automation::kMethod;
using automation::kPropertyGet;
using automation::kPropertyPut;
using automation::Variant;

class DispatchTest : public AutomationInstallation {
 protected:
  DispatchTest() : object_(Create("OrvikCOM.ScheduleObject")) {}

  DispatchStatus Status(int32_t dispid, int kind, std::vector<Variant> args) {
    return automation::Invoke(*object_, dispid, kind, std::move(args)).status;
  }

  ObjectRef object_;
};

TEST_F(DispatchTest, NamesMatchInAnyCaseAndAnswerTheirIdentifiers) {
  const automation::ClassInfo& info = object_->Class();
  EXPECT_EQ(automation::FindDispId(info, "count"), 0xce);
  EXPECT_EQ(automation::FindDispId(info, "LASTERR"), 0xc9);
  EXPECT_EQ(automation::FindDispId(info, "SetProperty"), 0xd0);
  EXPECT_FALSE(automation::FindDispId(info, "Counts"));
}

TEST_F(DispatchTest, KindsArgumentCountsAndTypes) {
  struct Case {
    const char* what;
    int32_t dispid;
    int kind;
    std::vector<Variant> args;
    DispatchStatus status;
  };
  const std::vector<Case> cases = {
      {"method as script engines call it", 0xcb, kMethod | kPropertyGet, {}, DispatchStatus::kOk},
      {"property get as a method", 0xce, kMethod | kPropertyGet, {}, DispatchStatus::kOk},
      {"property put", 0xce, kPropertyPut, {I4(2)}, DispatchStatus::kOk},
      {"put of a read-only property", 0xc9, kPropertyPut, {I4(2)}, DispatchStatus::kMemberNotFound},
      {"put on a method", 0xcb, kPropertyPut, {I4(1)}, DispatchStatus::kMemberNotFound},
      {"no kind", 0xcb, 0, {}, DispatchStatus::kMemberNotFound},
      {"unknown dispid", 0x1234, kMethod, {}, DispatchStatus::kMemberNotFound},
      {"too many arguments", 0xcb, kMethod, {I4(1)}, DispatchStatus::kBadParamCount},
      {"too few arguments", 0xcd, kMethod, {}, DispatchStatus::kBadParamCount},
      {"decimal text for a number", 0xcd, kMethod, {Text(" 3 ")}, DispatchStatus::kOk},
      {"word for a number", 0xcd, kMethod, {Text("three")}, DispatchStatus::kTypeMismatch},
      {"null for a number", 0xcd, kMethod, {Variant::Null()}, DispatchStatus::kTypeMismatch},
      {"object for a number", 0xcd, kMethod, {Variant::Object(object_)},
       DispatchStatus::kTypeMismatch},
      {"number beyond 32 bits", 0xcd, kMethod, {Variant::I8(int64_t{1} << 40)},
       DispatchStatus::kTypeMismatch},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Status(c.dispid, c.kind, c.args), c.status) << c.what;
  }
}

TEST_F(DispatchTest, CallsByNameRaiseThePlatformMessages) {
  try {
    server_->CallByName(object_, "Nothing", {});
    FAIL();
  } catch (const automation::AutomationError& error) {
    EXPECT_STREQ(error.what(), "Unknown name.");
  }
  try {
    server_->CallByName(object_, "Select", {});
    FAIL();
  } catch (const automation::AutomationError& error) {
    EXPECT_STREQ(error.what(), "Invalid number of parameters.");
  }
}

TEST_F(DispatchTest, TheServerKnowsWhichObjectsLive) {
  automation::AutomationObject* raw = object_.get();
  EXPECT_TRUE(server_->IsLive(raw));
  size_t before = server_->live_objects();
  object_ = ObjectRef();
  EXPECT_FALSE(server_->IsLive(raw));
  EXPECT_EQ(server_->live_objects(), before - 1);
}

TEST_F(DispatchTest, UnknownClassNamesAreNotRegistered) {
  for (const char* name : {"OrvikCOM.ServiceObject", "QuorantServer.Nothing", "ScheduleObject", ""}) {
    Result<ObjectRef> made = server_->CreateByName(name);
    EXPECT_FALSE(made.ok()) << name;
  }
  EXPECT_TRUE(server_->CreateByName("quorantserver.scheduleobject").ok());
}

}  // namespace
}  // namespace tarvelin::testing
