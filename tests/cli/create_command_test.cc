// tarvelin-admin create, run as a user would run it.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(CreateCommandTest, CreatedDomainsHaveTheRecordDomainAddWrites) {
  testing::TempDir dir;
  const std::string admin = AdminProgram() + " --install-dir " + dir.path() + "inst";
  ASSERT_EQ(Shell(admin + " create --domain Example.org").exit_code, 0);
  ASSERT_EQ(Shell(admin + " domain add added.example").exit_code, 0);

  const CommandRun shown = Shell(admin + " domain show example.org");
  EXPECT_EQ(shown.exit_code, 0) << shown.output;
  EXPECT_EQ(shown.output, Shell(admin + " domain show added.example").output);
  ASSERT_TRUE(dir.Exists("inst/config/example.org/domain.cfg"));
  EXPECT_EQ(dir.Read("inst/config/example.org/domain.cfg"),
            dir.Read("inst/config/added.example/domain.cfg"));
}

TEST(CreateCommandTest, InstallationFolderFromTheOptionOrTheEnvironment) {
  testing::TempDir dir;
  const std::string admin = AdminProgram();
  struct Case {
    std::string command;
    int exit_code;
    std::string output;
  };
  const Case cases[] = {
      {"TARVELIN_INSTALL_DIR=" + dir.path() + "env " + admin + " create", 0,
       "created " + dir.path() + "env/\n"},
      {"TARVELIN_INSTALL_DIR=" + dir.path() + "env " + admin + " --install-dir " + dir.path() +
           "option create",
       0, "created " + dir.path() + "option/\n"},
      {"env -u TARVELIN_INSTALL_DIR " + admin + " create", 2,
       "tarvelin-admin: create needs --install-dir or TARVELIN_INSTALL_DIR\n"},
      {"TARVELIN_INSTALL_DIR= " + admin + " create", 2,
       "tarvelin-admin: create needs --install-dir or TARVELIN_INSTALL_DIR\n"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Shell(c.command);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.command << ": " << run.output;
    EXPECT_EQ(run.output, c.output) << c.command;
  }
  EXPECT_TRUE(dir.Exists("env/config/settings.cfg"));
  EXPECT_TRUE(dir.Exists("option/config/settings.cfg"));
}

}  // namespace
}  // namespace tarvelin
