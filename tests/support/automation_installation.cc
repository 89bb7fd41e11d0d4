#include "support/automation_installation.h"

#include "api/automation/automation_object.h"
#include "jobs/registration/class_names.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"

namespace tarvelin::testing {

AutomationInstallation::AutomationInstallation() {
  Status made = CreateInstallation(context_, dir_.path(), {"example.org", "other.org"});
  EXPECT_TRUE(made.ok()) << made.ToString();
  // Opened as a script opens it first: the objects' own initialisation then
  // finds the installation loaded and keeps it.
  Status opened = Init(context_, dir_.path().c_str());
  EXPECT_TRUE(opened.ok()) << opened.ToString();
  dir_.Write("run/.keep", "");  // where services of the installation listen
  automation::ServerOptions options;
  options.resolve = EveryClassRegistered();
  server_ = std::make_unique<automation::AutomationServer>(context_, std::move(options));
}

automation::ObjectRef AutomationInstallation::Create(std::string_view class_name) {
  Result<ObjectRef> object = server_->CreateByName(class_name);
  EXPECT_TRUE(object.ok()) << object.status().ToString();
  return object.ok() ? std::move(*object) : ObjectRef();
}

automation::Variant AutomationInstallation::Call(const ObjectRef& object, std::string_view member,
                                                 std::vector<Variant> args) {
  return server_->CallByName(object, member, std::move(args));
}

void AutomationInstallation::Put(const ObjectRef& object, std::string_view member,
                                 Variant value) {
  server_->CallByName(object, member, {std::move(value)}, automation::kPropertyPut);
}

automation::CallOutcome AutomationInstallation::Try(const ObjectRef& object,
                                                    std::string_view member,
                                                    std::vector<Variant> args, int kind) {
  std::optional<int32_t> dispid = automation::FindDispId(object->Class(), member);
  if (!dispid) return {automation::DispatchStatus::kUnknownName, Variant(), ""};
  return automation::Invoke(*object, *dispid, kind, std::move(args));
}

automation::ClassResolver EveryClassRegistered() {
  return [](std::string_view class_name) -> Result<Guid> {
    const registration::ClassIds* ids = registration::ClassOfName(class_name);
    if (!ids || !ids->creatable) return Status::NotFound("Class not registered");
    return ids->clsid;
  };
}

void ExpectSlots(const automation::ClassInfo& info, const std::vector<Slot>& expected) {
  const std::vector<automation::Member>& members = info.members;
  ASSERT_EQ(members.size(), expected.size()) << info.ids.name;
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(members[i].name, expected[i].name) << i;
    EXPECT_EQ(members[i].dispid, expected[i].dispid) << expected[i].name;
    EXPECT_EQ(members[i].kind, expected[i].kind) << expected[i].name;
    EXPECT_EQ(members[i].params.size(), expected[i].params) << expected[i].name;
  }
}

}  // namespace tarvelin::testing
