#include "jobs/registration/class_registration.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "jobs/registration/class_ids.h"
#include "jobs/registration/class_keys.h"
#include "jobs/registration/reg_file.h"
#include "platform/fault_injection_env.h"
#include "platform/posix_env.h"
#include "platform/process_identity.h"
#include "support/temp_dir.h"

namespace tarvelin::registration {
namespace {

using testing::TempDir;

constexpr const char* kLibrary = "/opt/tarvelin/lib/libtarvelinapi.so";

// Another program's keys, CRLF line ends, as the registry file may hold them.
constexpr const char* kOtherPrograms =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\Viewer.Document]\r\n"
    "@=\"Viewer \\\"doc\\\"\"\r\n"
    "\"Flags\"=dword:00000001\r\n"
    "\r\n";

class ClassRegistrationTest : public ::testing::Test {
 protected:
  std::string File() const { return dir_.path() + "reg/registry.reg"; }
  RegFile Parsed() const {
    Result<RegFile> file = RegFile::Parse(dir_.Read("reg/registry.reg"));
    EXPECT_TRUE(file.ok()) << file.status().ToString();
    return file.ok() ? std::move(*file) : RegFile();
  }

  TempDir dir_;
  PosixEnv env_;
};

std::string Root(const std::string& key) { return "HKEY_CLASSES_ROOT\\" + key; }

TEST_F(ClassRegistrationTest, RegistersEveryKeyOfEachCreatableClassAndTheTypeLibrary) {
  Result<RegistrationDone> done = RegisterClasses(env_, File(), kLibrary);
  ASSERT_TRUE(done.ok()) << done.status().ToString();
  EXPECT_EQ(done->file, File());
  EXPECT_EQ(done->classes, (std::vector<std::string>{"APIObject", "DomainObject", "AccountObject",
                                                     "RemoteAccountObject", "ScheduleObject",
                                                     "StatisticsObject"}));
  RegFile file = Parsed();
  const std::string libid = GuidText(TypeLibraryId());
  for (const ClassIds& ids : AllClassIds()) {
    const std::string clsid = GuidText(ids.clsid);
    const std::string name(ids.name);
    const std::string key = Root("CLSID\\" + clsid);
    SCOPED_TRACE(name);
    // Every interface the type library declares is registered with it.
    EXPECT_EQ(file.Value(Root("Interface\\" + GuidText(ids.iid)), ""), ids.interface_name);
    EXPECT_EQ(file.Value(Root("Interface\\" + GuidText(ids.iid)) + "\\TypeLib", ""), libid);
    EXPECT_EQ(file.Value(Root("Interface\\" + GuidText(ids.iid)) + "\\ProxyStubClsid32", ""),
              "{00020424-0000-0000-C000-000000000046}");
    if (!ids.creatable) {
      // No factory: no class keys by any name.
      EXPECT_FALSE(file.HasKey(key));
      EXPECT_FALSE(file.HasKey(Root("QuorantServer." + name)));
      EXPECT_FALSE(file.HasKey(Root("OrvikCOM." + name)));
      EXPECT_EQ(RegisteredClass(file, "OrvikCOM." + name).status().code(), StatusCode::kNotFound);
      continue;
    }
    EXPECT_EQ(file.Value(key, ""), ids.description);
    EXPECT_EQ(file.Value(key + "\\InprocServer32", ""), kLibrary);
    EXPECT_EQ(file.Value(key + "\\InprocServer32", "ThreadingModel"), "Free");
    EXPECT_EQ(file.Value(key + "\\ProgID", ""), "QuorantServer." + name);
    EXPECT_EQ(file.Value(key + "\\TypeLib", ""), libid);
    EXPECT_EQ(file.Value(key + "\\Version", ""), "1.0");
    EXPECT_EQ(file.Value(Root("QuorantServer." + name), ""), ids.description);
    EXPECT_EQ(file.Value(Root("QuorantServer." + name + "\\Clsid"), ""), clsid);
    EXPECT_EQ(file.Value(Root("OrvikCOM." + name), ""), "");
    EXPECT_EQ(file.Value(Root("OrvikCOM." + name + "\\Clsid"), ""), clsid);
    for (const std::string& form : {"OrvikCOM." + name, "quorantserver." + name}) {
      Result<Guid> found = RegisteredClass(file, form);
      ASSERT_TRUE(found.ok()) << form;
      EXPECT_EQ(*found, ids.clsid);
    }
  }
  const std::string typelib = Root("TypeLib\\" + libid + "\\1.0");
  EXPECT_EQ(file.Value(typelib, ""), "Quorant Server COM");
  EXPECT_EQ(file.Value(typelib + "\\0\\win32", ""), kLibrary);
  EXPECT_EQ(file.Value(typelib + "\\FLAGS", ""), "0");
  EXPECT_EQ(file.Value(typelib + "\\HELPDIR", ""), "/opt/tarvelin/lib/");
}

TEST_F(ClassRegistrationTest, UnregisteringLeavesOtherProgramsKeysByteForByte) {
  dir_.Write("reg/registry.reg", kOtherPrograms);
  ASSERT_TRUE(RegisterClasses(env_, File(), kLibrary).ok());
  // Registering twice changes nothing.
  const std::string registered = dir_.Read("reg/registry.reg");
  ASSERT_TRUE(RegisterClasses(env_, File(), kLibrary).ok());
  EXPECT_EQ(dir_.Read("reg/registry.reg"), registered);
  EXPECT_NE(registered.find("\r\n[HKEY_CLASSES_ROOT\\OrvikCOM.APIObject]\r\n@=\"\"\r\n"),
            std::string::npos);

  Result<RegistrationDone> done = UnregisterClasses(env_, File());
  ASSERT_TRUE(done.ok()) << done.status().ToString();
  EXPECT_EQ(dir_.Read("reg/registry.reg"), kOtherPrograms);
  RegFile file = Parsed();
  for (const ClassIds& ids : AllClassIds()) {
    EXPECT_FALSE(file.HasKey(Root("CLSID\\" + GuidText(ids.clsid)) + "\\InprocServer32"));
    EXPECT_FALSE(RegisteredClass(file, "OrvikCOM." + std::string(ids.name)).ok());
    EXPECT_FALSE(RegisteredClass(file, "QuorantServer." + std::string(ids.name)).ok());
  }
  // Unregistering again is no failure.
  EXPECT_TRUE(UnregisterClasses(env_, File()).ok());
  EXPECT_EQ(dir_.Read("reg/registry.reg"), kOtherPrograms);
}

TEST_F(ClassRegistrationTest, UnregisteringWithoutAFileMakesNone) {
  EXPECT_TRUE(UnregisterClasses(env_, File()).ok());
  EXPECT_FALSE(dir_.Exists("reg/registry.reg"));
}

TEST_F(ClassRegistrationTest, ANameWithoutItsClassKeyDoesNotResolve) {
  ASSERT_TRUE(RegisterClasses(env_, File(), kLibrary).ok());
  RegFile file = Parsed();
  const ClassIds& api = AllClassIds()[0];
  file.DeleteKey(Root("CLSID\\" + GuidText(api.clsid)) + "\\InprocServer32");
  EXPECT_FALSE(RegisteredClass(file, "OrvikCOM.APIObject").ok());
  // A Clsid naming a class this library does not make resolves nothing.
  file.SetValue(Root("Other.Thing\\Clsid"), "", GuidText(AllClassIds().back().clsid));
  file.SetValue(Root("CLSID\\" + GuidText(AllClassIds().back().clsid)) + "\\InprocServer32", "",
                kLibrary);
  EXPECT_FALSE(RegisteredClass(file, "Other.Thing").ok());
  file.SetValue(Root("Bad.Clsid\\Clsid"), "", "not a guid");
  EXPECT_FALSE(RegisteredClass(file, "Bad.Clsid").ok());
}

TEST_F(ClassRegistrationTest, ADamagedFileIsNeverOverwritten) {
  const std::string damaged = std::string(kOtherPrograms) + "[HKEY_CLASSES_ROOT\\Open\r\n";
  dir_.Write("reg/registry.reg", damaged);
  for (bool registering : {true, false}) {
    Result<RegistrationDone> done =
        registering ? RegisterClasses(env_, File(), kLibrary) : UnregisterClasses(env_, File());
    ASSERT_FALSE(done.ok());
    EXPECT_EQ(done.status().code(), StatusCode::kCorruption);
    EXPECT_EQ(done.status().message(),
              "the registry file " + File() +
                  " is damaged (line 7: the key is not closed with \"]\"); it was left as it is");
    EXPECT_EQ(dir_.Read("reg/registry.reg"), damaged);
  }
}

TEST_F(ClassRegistrationTest, AFileThatCannotBeWrittenFailsWithTheReasonAndStaysAsItWas) {
  dir_.Write("reg/registry.reg", kOtherPrograms);
  FaultInjectionEnv faulty(env_);
  faulty.FailWritesTo("registry.reg.tmp.", ENOSPC);
  Result<RegistrationDone> done = RegisterClasses(faulty, File(), kLibrary);
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.status().code(), StatusCode::kIOError);
  EXPECT_EQ(done.status().message().rfind("cannot change the registry file " + File() + ": ", 0),
            0u);
  EXPECT_NE(done.status().message().find("No space left on device"), std::string::npos)
      << done.status().message();
  EXPECT_EQ(dir_.Read("reg/registry.reg"), kOtherPrograms);

  // A folder that cannot be made: a file stands in its way.
  dir_.Write("blocked", "");
  done = RegisterClasses(env_, dir_.path() + "blocked/registry.reg", kLibrary);
  ASSERT_FALSE(done.ok());
  EXPECT_NE(done.status().message().find("Not a directory"), std::string::npos)
      << done.status().message();
}

TEST_F(ClassRegistrationTest, WaitsForAnotherRegistrationHoldingTheLock) {
  dir_.Write("reg/registry.reg", kOtherPrograms);
  Result<std::unique_ptr<FileLock>> held = env_.LockByte(File() + ".lock", 0);
  ASSERT_TRUE(held.ok());
  std::atomic<bool> done{false};
  std::thread other([&] {
    EXPECT_TRUE(RegisterClasses(env_, File(), kLibrary).ok());
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(done);
  EXPECT_EQ(dir_.Read("reg/registry.reg"), kOtherPrograms);
  held->reset();
  other.join();
  EXPECT_TRUE(done);
  EXPECT_TRUE(RegisteredClass(Parsed(), "OrvikCOM.APIObject").ok());
}

// Sets a variable of the process for one scope, then puts back what was.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* was = ::getenv(name)) was_ = was;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedVariable() { was_ ? ::setenv(name_, was_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> was_;
};

TEST(RegistryFilePath, TheVariableFirstThenTheSystemsOrTheUsersFile) {
  PosixEnv env;
  {
    ScopedVariable named("TARVELIN_REGISTRY", "/tmp/elsewhere.reg");
    EXPECT_EQ(*RegistryFilePath(env), "/tmp/elsewhere.reg");
  }
  ScopedVariable unnamed("TARVELIN_REGISTRY", nullptr);
  if (RunningAsSuperUser()) {
    EXPECT_EQ(*RegistryFilePath(env), "/etc/tarvelin/registry.reg");
    return;
  }
  {
    ScopedVariable config("XDG_CONFIG_HOME", "/tmp/config");
    EXPECT_EQ(*RegistryFilePath(env), "/tmp/config/tarvelin/registry.reg");
  }
  ScopedVariable no_config("XDG_CONFIG_HOME", nullptr);
  ScopedVariable home("HOME", "/home/someone");
  EXPECT_EQ(*RegistryFilePath(env), "/home/someone/.config/tarvelin/registry.reg");
}

}  // namespace
}  // namespace tarvelin::registration
