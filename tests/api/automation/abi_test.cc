#include "tarvelin/automation.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_registry.h"

namespace {

using tarvelin::testing::ScratchRegistry;

struct Held {
  TvObject* object = nullptr;
  ~Held() {
    if (object) TvRelease(object);
  }
};

int32_t DispId(TvObject* object, const char* name) {
  int32_t dispid = -1;
  EXPECT_EQ(TvGetDispId(object, name, &dispid), TV_S_OK) << name;
  return dispid;
}

TvVariant I4(int32_t value) {
  TvVariant v;
  TvVariantInit(&v);
  v.type = TV_I4;
  v.u.i4 = value;
  return v;
}

TEST(AutomationAbi, CreatesCallsAndCountsReferences) {
  ScratchRegistry registry;
  registry.Register();
  Held schedule;
  ASSERT_EQ(TvCreateObject("orvikcom.scheduleobject", &schedule.object), TV_S_OK);
  TvVariant result;
  TvVariantInit(&result);
  ASSERT_EQ(TvInvoke(schedule.object, DispId(schedule.object, "add"), TV_METHOD | TV_PROPERTYGET,
                     nullptr, 0, &result),
            TV_S_OK);
  EXPECT_EQ(result.type, TV_BOOL);
  EXPECT_EQ(result.u.boolean, 0);
  ASSERT_EQ(TvInvoke(schedule.object, DispId(schedule.object, "COUNT"), TV_PROPERTYGET, nullptr,
                     0, &result),
            TV_S_OK);
  EXPECT_EQ(result.type, TV_I4);
  EXPECT_EQ(result.u.i4, 1);
  TvVariant three = I4(3);
  EXPECT_EQ(TvInvoke(schedule.object, DispId(schedule.object, "Count"), TV_PROPERTYPUT, &three, 1,
                     nullptr),
            TV_S_OK);
  EXPECT_EQ(TvAddRef(schedule.object), 2);
  EXPECT_EQ(TvRelease(schedule.object), 1);
}

TEST(AutomationAbi, BadPointersAndReleasedObjectsAnswerAStatus) {
  ScratchRegistry registry;
  registry.Register();
  TvObject* object = nullptr;
  EXPECT_EQ(TvCreateObject(nullptr, &object), TV_E_INVALIDARG);
  EXPECT_EQ(TvCreateObject("OrvikCOM.ScheduleObject", nullptr), TV_E_INVALIDARG);
  EXPECT_EQ(TvCreateObject("OrvikCOM.ServiceObject", &object), TV_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(TvCreateObject("Nothing.Here", &object), TV_E_CLASSNOTREG);

  Held other;
  ASSERT_EQ(TvCreateObject("QuorantServer.ScheduleObject", &object), TV_S_OK);
  ASSERT_EQ(TvCreateObject("QuorantServer.ScheduleObject", &other.object), TV_S_OK);
  int32_t dispid = DispId(object, "Select");
  EXPECT_EQ(TvGetDispId(object, "Nothing", &dispid), TV_E_UNKNOWNNAME);
  EXPECT_EQ(TvGetDispId(object, nullptr, &dispid), TV_E_INVALIDARG);
  EXPECT_EQ(TvGetDispId(object, "Select", nullptr), TV_E_INVALIDARG);
  EXPECT_EQ(TvInvoke(object, dispid, TV_METHOD, nullptr, 1, nullptr), TV_E_INVALIDARG);
  EXPECT_EQ(TvInvoke(object, dispid, TV_METHOD, nullptr, -1, nullptr), TV_E_INVALIDARG);
  TvVariant bad;
  TvVariantInit(&bad);
  bad.type = 99;
  EXPECT_EQ(TvInvoke(object, dispid, TV_METHOD, &bad, 1, nullptr), TV_E_TYPEMISMATCH);

  EXPECT_EQ(TvRelease(object), 0);
  TvVariant result;
  EXPECT_EQ(TvInvoke(object, dispid, TV_METHOD, nullptr, 0, &result), TV_E_INVALIDARG);
  EXPECT_EQ(result.type, TV_EMPTY);
  EXPECT_EQ(TvGetDispId(object, "Select", &dispid), TV_E_INVALIDARG);
  EXPECT_EQ(TvAddRef(object), 0);
  EXPECT_EQ(TvRelease(object), 0);
  TvVariant dead;
  TvVariantInit(&dead);
  dead.type = TV_OBJECT;
  dead.u.object = object;
  EXPECT_EQ(TvInvoke(other.object, DispId(other.object, "SetProperty"), TV_METHOD, &dead, 1,
                     nullptr),
            TV_E_INVALIDARG);
  TvVariantClear(nullptr);
  TvVariantInit(nullptr);
}

TEST(AutomationAbi, AMemberThatRaisesFailsWithItsMessage) {
  ScratchRegistry registry;
  registry.Register();
  Held schedule;
  ASSERT_EQ(TvCreateObject("OrvikCOM.ScheduleObject", &schedule.object), TV_S_OK);
  TvVariant command;
  TvVariantInit(&command);
  command.type = TV_TEXT;
  command.u.text = const_cast<char*>("Nothing_Here");
  TvVariant result;
  EXPECT_EQ(TvInvoke(schedule.object, DispId(schedule.object, "GetProperty"), TV_METHOD, &command,
                     1, &result),
            TV_E_EXCEPTION);
  EXPECT_EQ(result.type, TV_EMPTY);
  // Before Init there is no property table: every name is unknown.
  EXPECT_EQ(std::string(TvLastErrorText()), "Property nothing_here not found");
}

}  // namespace
