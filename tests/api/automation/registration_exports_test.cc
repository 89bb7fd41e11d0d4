#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "jobs/registration/class_ids.h"
#include "jobs/registration/class_keys.h"
#include "jobs/registration/reg_file.h"
#include "platform/process_identity.h"
#include "support/scratch_registry.h"
#include "tarvelin/automation.h"

namespace tarvelin::testing {
namespace {

using registration::AllClassIds;
using registration::ClassIds;

struct Held {
  TvObject* object = nullptr;
  ~Held() {
    if (object) TvRelease(object);
  }
};

int32_t Create(const std::string& name, Held* held) {
  return TvCreateObject(name.c_str(), &held->object);
}

const ClassIds& Named(std::string_view name) { return *registration::ClassIdsNamed(name); }

TvGuid Abi(const Guid& guid) {
  TvGuid out{guid.data1, guid.data2, guid.data3, {}};
  for (size_t i = 0; i < 8; ++i) out.data4[i] = guid.data4[i];
  return out;
}

TvGuid AbiText(const char* text) { return Abi(*ParseGuid(text)); }

constexpr const char* kClassFactory = "{00000001-0000-0000-C000-000000000046}";
constexpr const char* kUnknown = "{00000000-0000-0000-C000-000000000046}";

TEST(RegistrationExports, BothNamesCreateAfterRegisteringAndNeitherAfterUnregistering) {
  ScratchRegistry registry;
  Held before;
  EXPECT_EQ(Create("OrvikCOM.ScheduleObject", &before), TV_E_CLASSNOTREG);
  EXPECT_STREQ(TvLastErrorText(), "Class not registered");

  ASSERT_EQ(DllRegisterServer(), TV_S_OK) << TvLastErrorText();
  Held legacy;
  Held progid;
  ASSERT_EQ(Create("OrvikCOM.ScheduleObject", &legacy), TV_S_OK);
  ASSERT_EQ(Create("quorantserver.scheduleobject", &progid), TV_S_OK);
  int32_t legacy_id = -1;
  int32_t progid_id = -2;
  ASSERT_EQ(TvGetDispId(legacy.object, "Select", &legacy_id), TV_S_OK);
  ASSERT_EQ(TvGetDispId(progid.object, "Select", &progid_id), TV_S_OK);
  EXPECT_EQ(legacy_id, progid_id);
  Held service;
  EXPECT_EQ(Create("OrvikCOM.ServiceObject", &service), TV_E_CLASSNOTREG);
  EXPECT_EQ(Create("QuorantServer.ServiceObject", &service), TV_E_CLASSNOTREG);

  // The classes load from the file that holds the exports.
  Result<registration::RegFile> file =
      registration::RegFile::Parse(registry.dir_.Read("registry.reg"));
  ASSERT_TRUE(file.ok());
  const std::string key =
      "HKEY_CLASSES_ROOT\\CLSID\\" + GuidText(Named("ScheduleObject").clsid) + "\\InprocServer32";
  EXPECT_EQ(file->Value(key, ""), *LoadedFileOf(reinterpret_cast<const void*>(&DllRegisterServer)));

  ASSERT_EQ(DllUnregisterServer(), TV_S_OK) << TvLastErrorText();
  Held after;
  EXPECT_EQ(Create("OrvikCOM.ScheduleObject", &after), TV_E_CLASSNOTREG);
  EXPECT_EQ(Create("QuorantServer.ScheduleObject", &after), TV_E_CLASSNOTREG);
  file = registration::RegFile::Parse(registry.dir_.Read("registry.reg"));
  ASSERT_TRUE(file.ok());
  for (const ClassIds& ids : AllClassIds()) {
    EXPECT_FALSE(file->HasKey("HKEY_CLASSES_ROOT\\CLSID\\" + GuidText(ids.clsid))) << ids.name;
  }
}

TEST(RegistrationExports, ADamagedRegistryFailsSaysWhereAndResolvesNothing) {
  ScratchRegistry registry;
  ASSERT_EQ(DllRegisterServer(), TV_S_OK) << TvLastErrorText();
  const std::string damaged = registry.dir_.Read("registry.reg") + "[HKEY_CLASSES_ROOT\\Open\n";
  registry.dir_.Write("registry.reg", damaged);
  const int lines = static_cast<int>(std::count(damaged.begin(), damaged.end(), '\n'));

  for (auto step : {&DllRegisterServer, &DllUnregisterServer}) {
    EXPECT_EQ(step(), TV_E_FAIL);
    EXPECT_EQ(std::string(TvLastErrorText()),
              "the registry file " + registry.file() + " is damaged (line " +
                  std::to_string(lines) +
                  ": the key is not closed with \"]\"); it was left as it is");
    EXPECT_EQ(registry.dir_.Read("registry.reg"), damaged);
  }
  // Its keys are all there, but a damaged file is not trusted.
  Held object;
  EXPECT_EQ(Create("OrvikCOM.ScheduleObject", &object), TV_E_CLASSNOTREG);
}

TEST(RegistrationExports, ARegistryThatCannotBeWrittenFailsWithTheReason) {
  ScratchRegistry registry;
  registry.dir_.Write("in-the-way", "");
  ::setenv("TARVELIN_REGISTRY", (registry.dir_.path() + "in-the-way/registry.reg").c_str(), 1);
  EXPECT_EQ(DllRegisterServer(), TV_E_FAIL);
  const std::string why = TvLastErrorText();
  EXPECT_EQ(why.rfind("cannot change the registry file " + registry.dir_.path() +
                          "in-the-way/registry.reg: ",
                      0),
            0u)
      << why;
  EXPECT_NE(why.find("Not a directory"), std::string::npos) << why;
}

TEST(RegistrationExports, ClassFactoriesMakeObjectsWithoutTheRegistry) {
  ScratchRegistry registry;  // left empty
  const TvGuid clsid = Abi(Named("ScheduleObject").clsid);
  const TvGuid factory_iid = AbiText(kClassFactory);
  void* out = nullptr;
  ASSERT_EQ(DllGetClassObject(&clsid, &factory_iid, &out), TV_S_OK);
  auto* factory = static_cast<TvClassFactory*>(out);
  void* again = nullptr;
  const TvGuid unknown_iid = AbiText(kUnknown);
  ASSERT_EQ(DllGetClassObject(&clsid, &unknown_iid, &again), TV_S_OK);
  EXPECT_EQ(again, out);  // one factory per class
  EXPECT_GT(factory->Release(factory), 0);

  EXPECT_EQ(DllCanUnloadNow(), TV_S_OK);
  Held object;
  ASSERT_EQ(factory->CreateInstance(factory, &object.object), TV_S_OK);
  int32_t dispid = -1;
  EXPECT_EQ(TvGetDispId(object.object, "Select", &dispid), TV_S_OK);
  EXPECT_EQ(DllCanUnloadNow(), TV_S_FALSE);
  TvRelease(object.object);
  object.object = nullptr;
  EXPECT_EQ(DllCanUnloadNow(), TV_S_OK);

  EXPECT_EQ(factory->LockServer(factory, 1), TV_S_OK);
  EXPECT_EQ(factory->LockServer(factory, 1), TV_S_OK);
  EXPECT_EQ(DllCanUnloadNow(), TV_S_FALSE);
  EXPECT_EQ(factory->LockServer(factory, 0), TV_S_OK);
  EXPECT_EQ(DllCanUnloadNow(), TV_S_FALSE);
  EXPECT_EQ(factory->LockServer(factory, 0), TV_S_OK);
  EXPECT_EQ(DllCanUnloadNow(), TV_S_OK);
  EXPECT_EQ(factory->CreateInstance(factory, nullptr), TV_E_INVALIDARG);
  EXPECT_FALSE(registry.dir_.Exists("registry.reg"));
}

TEST(RegistrationExports, GetClassObjectRefusesUnknownClassesInterfacesAndNulls) {
  ScratchRegistry registry;
  const TvGuid schedule = Abi(Named("ScheduleObject").clsid);
  const TvGuid service = Abi(Named("ServiceObject").clsid);
  const TvGuid nothing = AbiText("{11111111-2222-3333-4444-555555555555}");
  const TvGuid factory_iid = AbiText(kClassFactory);
  const TvGuid dispatch_iid = AbiText("{00020400-0000-0000-C000-000000000046}");
  struct Case {
    const TvGuid* clsid;
    const TvGuid* iid;
    bool with_out;
    int32_t status;
  };
  for (const Case& c : {Case{&service, &factory_iid, true, TV_CLASS_E_CLASSNOTAVAILABLE},
                        Case{&nothing, &factory_iid, true, TV_CLASS_E_CLASSNOTAVAILABLE},
                        Case{&schedule, &dispatch_iid, true, TV_E_NOINTERFACE},
                        Case{nullptr, &factory_iid, true, TV_E_INVALIDARG},
                        Case{&schedule, nullptr, true, TV_E_INVALIDARG},
                        Case{&schedule, &factory_iid, false, TV_E_INVALIDARG}}) {
    void* out = &registry;
    EXPECT_EQ(DllGetClassObject(c.clsid, c.iid, c.with_out ? &out : nullptr), c.status);
    if (c.with_out && c.clsid && c.iid) EXPECT_EQ(out, nullptr);
  }
}

}  // namespace
}  // namespace tarvelin::testing
