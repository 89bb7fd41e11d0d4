// The tarvelin-admin program, run as a user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class TarvelinAdminTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created =
        Admin(install_ + " create --domain Example.org --domain example.net");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  testing::TempDir dir_;
  std::string install_;
};

TEST_F(TarvelinAdminTest, DomainListShowsTheCreatedDomains) {
  const CommandRun human = Admin(install_ + " domain list");
  EXPECT_EQ(human.exit_code, 0);
  EXPECT_EQ(human.output, "1\texample.net\n0\texample.org\n") << "in name order";
  const nlohmann::json json = nlohmann::json::parse(Admin(install_ + " --json domain list").output);
  EXPECT_EQ(json[0]["name"], "example.net");
  EXPECT_EQ(json[0]["index"], 1);
}

TEST_F(TarvelinAdminTest, ConfigGetAndSetByKind) {
  EXPECT_EQ(Admin(install_ + " config get 27").output, "25\n");
  EXPECT_EQ(Admin(install_ + " config set 27 2525").exit_code, 0);
  EXPECT_EQ(Admin(install_ + " config get 27").output, "2525\n") << "the change was saved";

  EXPECT_EQ(Admin(install_ + " config set 11 'mx.example.org'").exit_code, 0);
  const nlohmann::json text =
      nlohmann::json::parse(Admin(install_ + " --json config get 11").output);
  EXPECT_EQ(text["value"], "mx.example.org");
  EXPECT_EQ(text["kind"], "text");

  EXPECT_EQ(Admin(install_ + " config set 396 true").exit_code, 0);
  EXPECT_EQ(Admin(install_ + " config get 396").output, "1\n");
  EXPECT_EQ(Admin(install_ + " config set 149 0102").exit_code, 0);
  EXPECT_EQ(Admin(install_ + " config get 149").output.substr(0, 6), "010200");
}

TEST_F(TarvelinAdminTest, ConfigSettingsByNameOrNumber) {
  const struct {
    std::string arguments;
    int exit_code;
    std::string output;
  } cases[] = {
      {"config get C_SMTPPort", 0, "25\n"},
      {"config get c_smtpport", 0, "25\n"},
      {"config get SMTPPort", 0, "25\n"},
      {"config get 0x1b", 0, "25\n"},
      {"config set C_SMTPPort 2525", 0, "C_SMTPPort (27) = 2525\n"},
      {"config get 27", 0, "2525\n"},
      {"config get C_SMTPPrt", 3,
       "tarvelin-admin: no configuration setting named 'C_SMTPPrt'; did you mean 'C_SMTPPort'?\n"},
      {"config get U_Password", 3,
       "tarvelin-admin: no configuration setting named 'U_Password'\n"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(install_ + " " + c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, c.output) << c.arguments;
  }
  const CommandRun dump = Admin(install_ + " config dump");
  EXPECT_NE(dump.output.find("C_SMTPPort\t27\tnumber\t2525\n"), std::string::npos) << dump.output;
  const nlohmann::json json = nlohmann::json::parse(Admin(install_ + " --json config get 27").output);
  EXPECT_EQ(json["name"], "C_SMTPPort");
}

TEST_F(TarvelinAdminTest, ConfigDumpListsEveryPlainSetting) {
  const CommandRun dump = Admin(install_ + " --json config dump");
  ASSERT_EQ(dump.exit_code, 0);
  const nlohmann::json all = nlohmann::json::parse(dump.output);
  bool saw_smtp_port = false;
  for (const auto& entry : all) saw_smtp_port |= entry["id"] == 27 && entry["value"] == 25;
  EXPECT_TRUE(saw_smtp_port);
}

TEST_F(TarvelinAdminTest, ErrorsAreOneLineWithANonZeroExit) {
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {install_ + " config get 16", "setting 16 is unknown"},
      {install_ + " config set 170 /x", "setting 170 can only be read"},
      {install_ + " config set 27 many", "not a number"},
      {install_ + " config set 41 maybe", "not a flag"},
      {"--install-dir " + dir_.path() + "missing config get 27",
       "cannot load the installation in " + dir_.path() + "missing: not loadable: cannot read " +
           dir_.path() + "missing/config/settings.cfg: No such file or directory"},
      {install_ + " create", "exists already"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Admin(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
}

}  // namespace
}  // namespace tarvelin

namespace tarvelin {
namespace {

TEST(TarvelinAdminCreate, TheQueryExampleWorksOnAFreshInstallation) {
  testing::TempDir dir;
  const std::string install = "--install-dir " + dir.path() + "fresh";
  ASSERT_EQ(Admin(install + " create --domain example.org").exit_code, 0);
  for (const char* address : {"anna@example.org", "bert@example.org", "alex@example.org"}) {
    ASSERT_EQ(Admin(install + " account add " + address).exit_code, 0) << address;
  }
  const CommandRun run = Admin(install + " account list example.org --query \"U_Alias like 'a%'\"");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.output, "2\tuser\talex\n0\tuser\tanna\n");
}

TEST(TarvelinAdminCreate, DirectoriesLiveInsideTheNewInstallation) {
  testing::TempDir dir;
  const std::string install = "--install-dir " + dir.path() + "fresh";
  ASSERT_EQ(Admin(install + " create").exit_code, 0);
  EXPECT_EQ(Admin(install + " config get 23").output, dir.path() + "fresh/mail/\n");
  EXPECT_EQ(Admin(install + " domain list").output, "(no domains)\n");
}

}  // namespace
}  // namespace tarvelin
