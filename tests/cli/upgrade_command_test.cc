// `tarvelin-admin upgrade --from VERSION` against fake services.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/fake_service.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class UpgradeCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst_ = dir_.path() + "inst/";
    install_ = "--install-dir " + inst_;
    const CommandRun created = Admin(install_ + " create");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }

  testing::TempDir dir_;
  std::string inst_;
  std::string install_;
};

TEST_F(UpgradeCommandTest, TellsTheStepsItRanAndWhatReachedTheServices) {
  std::filesystem::create_directories(inst_ + "run/");
  FakeService smtp(inst_ + "run/", "TarvelinSMTP");
  ASSERT_TRUE(smtp.ready());
  const CommandRun run = Run("upgrade --from 8.3.15");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.output,
            "previous version 8.3.15 (8031500)\n"
            "reload: SMTP 257,0 sent; POP3 257,0 lost (not running); IM 257,0 lost (not "
            "running); GW 257,0 lost (not running); CONTROL 257,0 lost (not running)\n"
            "step 8.3.16: configuration written, server addresses emptied\n"
            "step 8.3.17: SMTP 4,16 sent\n"
            "step 8.3.18: GW 3845,17 lost (not running)\n");
  EXPECT_EQ(smtp.Requests(), (std::vector<std::string>{CommandHex(4096, 1280, 257, 0),
                                                       CommandHex(4096, 1280, 4, 16)}));

  const CommandRun current = Run("upgrade --from 8.3.18");
  ASSERT_EQ(current.exit_code, 0) << current.output;
  EXPECT_NE(current.output.find("no step: the version is not older than any threshold"),
            std::string::npos)
      << current.output;
}

TEST_F(UpgradeCommandTest, JsonListsStepsAndNotifications) {
  const CommandRun run = Run("--json upgrade --from 8.3.16-1");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const nlohmann::json answer = nlohmann::json::parse(run.output);
  EXPECT_EQ(answer["version_number"], 8031601);
  EXPECT_EQ(answer["steps"], nlohmann::json({"8.3.17", "8.3.18"}));
  EXPECT_EQ(answer["configuration_written"], false);
  ASSERT_EQ(answer["notifications"].size(), 7u);
  EXPECT_EQ(answer["notifications"][5],
            nlohmann::json({{"step", "8.3.17"},
                            {"service", "SMTP"},
                            {"id", 0},
                            {"parameters", {4, 16}},
                            {"delivered", false}}));
}

TEST_F(UpgradeCommandTest, RefusesWhatIsNoVersionTouchingNothing) {
  const std::string settings = dir_.Read("inst/config/settings.cfg");
  for (const std::string& version : {"", "8.3.", "v8.3", "8.3.x", "'8.3 '"}) {
    const CommandRun run = Run("upgrade --from " + (version.empty() ? "''" : version));
    EXPECT_EQ(run.exit_code, 2) << version << "\n" << run.output;
    EXPECT_NE(run.output.find("is not a version: numbers as MAJOR.MINOR.PATCH"),
              std::string::npos)
        << version << "\n" << run.output;
  }
  EXPECT_EQ(Run("upgrade").exit_code, 2) << "--from is required";
  EXPECT_EQ(dir_.Read("inst/config/settings.cfg"), settings);
}

TEST_F(UpgradeCommandTest, RefusesADamagedSettingsFileItWouldOverwrite) {
  const std::string settings = dir_.Read("inst/config/settings.cfg");
  dir_.Write("inst/config/settings.cfg", settings.substr(0, 1000));
  const CommandRun run = Run("upgrade --from 8.3.15");
  EXPECT_EQ(run.exit_code, 5) << run.output;
  EXPECT_EQ(dir_.Read("inst/config/settings.cfg"), settings.substr(0, 1000));
}

}  // namespace
}  // namespace tarvelin
