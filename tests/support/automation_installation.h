// A test installation for the automation objects: a fresh installation
// (domains example.org and other.org, the shipped property names) opened
// in a Context of the test's own, and an AutomationServer over it that
// takes every class as registered.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "api/automation/automation_server.h"
#include "api/automation/variant.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace tarvelin::testing {

class AutomationInstallation : public ::testing::Test {
 protected:
  using ObjectRef = automation::ObjectRef;
  using Variant = automation::Variant;

  AutomationInstallation();

  // A new object by class name ("OrvikCOM.ScheduleObject").
  ObjectRef Create(std::string_view class_name);
  // A member by name as a script calls it; raises AutomationError when
  // the call fails.
  Variant Call(const ObjectRef& object, std::string_view member, std::vector<Variant> args = {});
  // A property put.
  void Put(const ObjectRef& object, std::string_view member, Variant value);
  // The call's outcome, failures included.
  automation::CallOutcome Try(const ObjectRef& object, std::string_view member,
                              std::vector<Variant> args = {},
                              int kind = automation::kMethod | automation::kPropertyGet);

  TempDir dir_;
  Context context_;
  std::unique_ptr<automation::AutomationServer> server_;
};

// A resolver that takes every creatable class as registered: the tests'
// servers need no object registry.
automation::ClassResolver EveryClassRegistered();

// One member of an interface table: its name, dispatch identifier, kind
// and number of parameters.
struct Slot {
  std::string_view name;
  int32_t dispid;
  automation::CallKind kind;
  size_t params;
};
// The class's members are exactly these, in slot order.
void ExpectSlots(const automation::ClassInfo& info, const std::vector<Slot>& expected);

// Variant makers for argument lists.
inline automation::Variant Text(std::string text) {
  return automation::Variant::Text(std::move(text));
}
inline automation::Variant I4(int32_t value) { return automation::Variant::I4(value); }

}  // namespace tarvelin::testing
