// What is not there exits 3, whatever the family: domains, their settings,
// remote accounts and schedules, by name or number.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(NotFoundTest, MissingDomainsRemoteAccountsSchedulesAndSettingsExitWith3) {
  testing::TempDir dir;
  const std::string install = "--install-dir " + dir.path() + "inst ";
  ASSERT_EQ(Admin(install + "create --domain example.org").exit_code, 0);
  ASSERT_EQ(Admin(install + "domain add example.net").exit_code, 0);
  ASSERT_EQ(Admin(install + "remote add").exit_code, 0);
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"domain show missing.example", "no domain \"missing.example\""},
      {"domain set missing.example D_DomainIM 1", "no domain \"missing.example\""},
      {"domain ip missing.example 192.0.2.1", "no domain \"missing.example\""},
      {"domain delete missing.example", "no domain \"missing.example\""},
      {"domain set example.net D_DomainIMM 1",
       "no domain setting named 'D_DomainIMM'; did you mean 'D_DomainIM'?"},
      {"remote show 1", "no remote account 1"},
      {"remote set 1 RA_Login x", "no remote account 1"},
      {"remote set 0 RA_Lgin x", "no remote-account setting named 'RA_Lgin'"},
      {"remote add --set Loginn=x", "no remote-account setting named 'Loginn'"},
      {"schedule show 150", "setting 150 is no schedule"},
      {"schedule show C_SMTPPort", "setting 27 is no schedule"},
      {"schedule set 149 0 SC_Nothing 1", "no schedule setting named 'SC_Nothing'"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(install + c.arguments);
    EXPECT_EQ(run.exit_code, 3) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

}  // namespace
}  // namespace tarvelin
