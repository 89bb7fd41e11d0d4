// tarvelin-admin register and unregister: the classes in the object
// registry file, other programs' keys kept, damaged files left alone.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

constexpr const char* kOtherPrograms =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CLASSES_ROOT\\Viewer.Document]\n"
    "@=\"Viewer\"\n"
    "\n";

class RegistrationCommandsTest : public ::testing::Test {
 protected:
  std::string Registry() const { return dir_.path() + "registry.reg"; }
  std::string Read() const { return dir_.Read("registry.reg"); }
  // Only what the command printed on standard error.
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " " + arguments + " 2>&1 >/dev/null)");
  }

  testing::TempDir dir_;
};

TEST_F(RegistrationCommandsTest, RegistersThenUnregistersKeepingOtherKeys) {
  dir_.Write("registry.reg", kOtherPrograms);
  CommandRun run =
      Shell("(" + AdminProgram() + " --json register --registry " + Registry() + " 2>/dev/null)");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const nlohmann::json answer = nlohmann::json::parse(run.output);
  EXPECT_EQ(answer["file"], Registry());
  EXPECT_EQ(answer["classes"],
            nlohmann::json({"APIObject", "DomainObject", "AccountObject", "RemoteAccountObject",
                            "ScheduleObject", "StatisticsObject"}));
  const std::string library = answer["library"];
  EXPECT_NE(library.find("libtarvelinapi.so"), std::string::npos) << library;
  const std::string registered = Read();
  EXPECT_EQ(registered.rfind(kOtherPrograms, 0), 0u);
  EXPECT_NE(registered.find("[HKEY_CLASSES_ROOT\\OrvikCOM.APIObject\\Clsid]"), std::string::npos);
  EXPECT_NE(registered.find("@=\"" + library + "\""), std::string::npos);
  EXPECT_EQ(registered.find("ServiceObject]"), std::string::npos);

  run = Admin("unregister --registry " + Registry());
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.output,
            "unregistered APIObject, DomainObject, AccountObject, "
            "RemoteAccountObject, ScheduleObject, StatisticsObject from " +
                Registry() + "\n");
  EXPECT_EQ(Read(), kOtherPrograms);
}

TEST_F(RegistrationCommandsTest, TheRegistryVariableNamesTheFileAndTheLibraryCanBeNamed) {
  dir_.Write("lib/libtarvelinapi.so", "");
  CommandRun run = Shell("TARVELIN_REGISTRY=" + Registry() + " " + AdminProgram() +
                         " register --library " + dir_.path() + "lib/libtarvelinapi.so");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(Read().find("@=\"" + dir_.path() + "lib/libtarvelinapi.so\""), std::string::npos);
}

TEST_F(RegistrationCommandsTest, FailuresSayWhyWithTheirExitCodes) {
  const std::string damaged = std::string(kOtherPrograms) + "[HKEY_CLASSES_ROOT\\Open\n";
  dir_.Write("damaged.reg", damaged);
  dir_.Write("in-the-way", "");
  struct Case {
    std::string arguments;
    int exit_code;
    std::string message;
  };
  const Case cases[] = {
      {"register --registry " + dir_.path() + "damaged.reg", 5,
       "tarvelin-admin: cannot register: the registry file " + dir_.path() +
           "damaged.reg is damaged (line 6: the key is not closed with \"]\"); it was left as it "
           "is\n"},
      {"unregister --registry " + dir_.path() + "damaged.reg", 5,
       "tarvelin-admin: cannot unregister: the registry file " + dir_.path() +
           "damaged.reg is damaged (line 6: the key is not closed with \"]\"); it was left as it "
           "is\n"},
      {"register --registry " + dir_.path() + "in-the-way/registry.reg", 1,
       "tarvelin-admin: cannot register: cannot change the registry file " + dir_.path() +
           "in-the-way/registry.reg: create directory " + dir_.path() +
           "in-the-way/: Not a directory\n"},
      {"register --registry " + Registry() + " --library " + dir_.path() + "missing.so", 3,
       "tarvelin-admin: no library file " + dir_.path() + "missing.so\n"},
  };
  for (const Case& c : cases) {
    CommandRun run = ErrorsOf(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << "\n" << run.output;
    EXPECT_EQ(run.output.rfind(c.message, 0), 0u) << run.output;
  }
  EXPECT_EQ(dir_.Read("damaged.reg"), damaged);
  EXPECT_FALSE(dir_.Exists("registry.reg"));

  CommandRun run = ErrorsOf("--json register --registry " + dir_.path() + "damaged.reg");
  EXPECT_EQ(run.exit_code, 5);
  const nlohmann::json error = nlohmann::json::parse(run.output);
  EXPECT_EQ(error["exit_code"], 5);
}

}  // namespace
}  // namespace tarvelin
