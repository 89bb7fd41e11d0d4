#include "api/automation/schedule_object.h"

#include <gtest/gtest.h>

#include "api/automation/automation_error.h"
#include "support/automation_installation.h"

namespace tarvelin::testing {
namespace {

using automation::ScheduleObject;

class ScheduleObjectTest : public AutomationInstallation {
 protected:
  ScheduleObjectTest() : object_(Create("OrvikCOM.ScheduleObject")) {}

  ScheduleObject& schedule() { return static_cast<ScheduleObject&>(*object_); }
  int32_t Count() { return static_cast<int32_t>(Call(object_, "Count").integer()); }

  ObjectRef object_;
};

TEST_F(ScheduleObjectTest, AddStopsAtSevenItemsAndAlwaysAnswersFalse) {
  for (int i = 0; i < 8; ++i) {
    Variant result = Call(object_, "Add");
    EXPECT_EQ(result.type(), automation::VarType::kBool);
    EXPECT_FALSE(result.boolean());
  }
  EXPECT_EQ(Count(), 7);
  EXPECT_EQ(schedule().selected(), 6);
}

TEST_F(ScheduleObjectTest, DeleteMovesTheLaterItemsDownAndSelectsTheFirst) {
  Put(object_, "Count", I4(3));
  for (int item = 0; item < 3; ++item) {
    Call(object_, "Select", {I4(item)});
    Call(object_, "SetProperty", {Text("SC_ItemTime"), I4(3600 * (item + 1))});
  }
  Call(object_, "Delete", {I4(0)});
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(schedule().selected(), 0);
  EXPECT_EQ(Call(object_, "GetProperty", {Text("SC_ItemTime")}).integer(), 7200);
  Call(object_, "Select", {I4(1)});
  EXPECT_EQ(Call(object_, "GetProperty", {Text("SC_ItemTime")}).integer(), 10800);
  // The old last item stays behind the count.
  Call(object_, "Select", {I4(2)});
  EXPECT_EQ(Call(object_, "GetProperty", {Text("SC_ItemTime")}).integer(), 10800);
}

TEST_F(ScheduleObjectTest, IndexesOutsideTheItemsChangeNothing) {
  Put(object_, "Count", I4(2));
  Call(object_, "Select", {I4(1)});
  struct Case {
    const char* member;
    int32_t index;
  };
  for (const Case& c : {Case{"Select", 7}, Case{"Select", -1}, Case{"Delete", 7},
                        Case{"Delete", -1}}) {
    Call(object_, c.member, {I4(c.index)});
    EXPECT_EQ(Count(), 2) << c.member << " " << c.index;
    EXPECT_EQ(schedule().selected(), 1) << c.member << " " << c.index;
  }
  // An item past the count holds nothing to delete: the two items stay.
  Call(object_, "Delete", {I4(5)});
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(schedule().selected(), 0);
}

TEST_F(ScheduleObjectTest, CountPutTakesZeroToSevenOnly) {
  Put(object_, "Count", I4(9));
  EXPECT_EQ(Count(), 0);
  Put(object_, "Count", I4(3));
  EXPECT_EQ(Count(), 3);
  Call(object_, "Select", {I4(2)});
  EXPECT_EQ(Call(object_, "GetProperty", {Text("SC_ItemTime")}).integer(), 0);
  Put(object_, "Count", I4(-1));
  EXPECT_EQ(Count(), 3);
}

TEST_F(ScheduleObjectTest, PropertiesByNameOrNumberAndUnknownOnesFail) {
  Call(object_, "Add");
  EXPECT_TRUE(Call(object_, "SetProperty", {I4(10), Text("5400")}).boolean());
  EXPECT_EQ(Call(object_, "GetProperty", {Text("sc_itemtime")}).integer(), 5400);
  EXPECT_EQ(Call(object_, "GetProperty", {Text("10")}).integer(), 5400);
  EXPECT_EQ(Call(object_, "LastErr").integer(), 0);

  schedule().set_last_err(-7);
  automation::CallOutcome missing = Try(object_, "GetProperty", {Text("SC_Nothing")});
  EXPECT_EQ(missing.status, automation::DispatchStatus::kException);
  EXPECT_EQ(missing.message, "Property sc_nothing not found");
  EXPECT_TRUE(missing.result.empty());
  EXPECT_EQ(Call(object_, "LastErr").integer(), -7);
  EXPECT_EQ(Try(object_, "GetProperty", {I4(999)}).message, "Property 999 not found");
}

TEST_F(ScheduleObjectTest, DataIsTheAddressOfTheRecord) {
  Variant data = Call(object_, "Data");
  EXPECT_EQ(data.type(), automation::VarType::kI8);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(static_cast<intptr_t>(data.integer())),
            schedule().record().data());
}

}  // namespace
}  // namespace tarvelin::testing
