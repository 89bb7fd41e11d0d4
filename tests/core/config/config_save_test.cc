// Save and reload through the C exports, against fake services running as
// separate processes on the installation's run directory.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/fake_service.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::SettingsFileOf;
using testing::TempDir;

class ConfigSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("config/settings.cfg", SettingsFileOf(ServerConfig()));
    dir_.Write("run/.keep", "");
    ASSERT_EQ(Init(dir_.path().c_str()), 0);
  }
  std::unique_ptr<FakeService> Start(const char* name) {
    auto service = std::make_unique<FakeService>(dir_.path() + "run/", name);
    EXPECT_TRUE(service->ready()) << name;
    return service;
  }

  TempDir dir_;
};

TEST_F(ConfigSaveTest, UpdateWithOnlyTheControlServiceRunning) {
  auto control = Start("TarvelinControl");
  EXPECT_EQ(UpdateConfiguration(), 1);
  EXPECT_EQ(control->Requests(), std::vector<std::string>{CommandHex(4096, 1280, 0, 0)});
}

TEST_F(ConfigSaveTest, UpdateWithNoServiceSendsNothingAndReturnsZero) {
  EXPECT_EQ(UpdateConfiguration(), 0);
  EXPECT_EQ(ReloadServices(), 0);
}

TEST_F(ConfigSaveTest, UpdateReachesEveryServiceButReportsTheControlService) {
  std::vector<std::unique_ptr<FakeService>> services;
  for (const char* name : {"TarvelinSMTP", "TarvelinPOP3", "TarvelinCalendar", "TarvelinIM"}) {
    services.push_back(Start(name));
  }
  EXPECT_EQ(UpdateConfiguration(), 0) << "the control service is not running";
  for (const auto& service : services) {
    EXPECT_EQ(service->Requests(), std::vector<std::string>{CommandHex(4096, 1280, 0, 0)});
  }
}

TEST_F(ConfigSaveTest, ReloadServicesAsksTheControlService) {
  auto control = Start("TarvelinControl");
  EXPECT_EQ(ReloadServices(), 1);
  EXPECT_EQ(control->Requests(), std::vector<std::string>{CommandHex(4096, 1299, 0, 0)});
}

TEST_F(ConfigSaveTest, SaveConfigReturnsTheNotificationResult) {
  auto control = Start("TarvelinControl");
  EXPECT_EQ(SaveConfig(), 1);
  EXPECT_EQ(control->Requests().size(), 1u);
  control->Stop();
  EXPECT_EQ(SaveConfig(), 0) << "files are still written";
  EXPECT_TRUE(dir_.Exists("config/domains.cfg"));
}

TEST_F(ConfigSaveTest, RunDirectoryFromTheEnvironment) {
  TempDir run;
  setenv("TARVELIN_RUN_DIR", run.path().c_str(), 1);
  FakeService control(run.path(), "TarvelinControl");
  ASSERT_TRUE(control.ready());
  EXPECT_EQ(UpdateConfiguration(), 1);
  unsetenv("TARVELIN_RUN_DIR");
}

}  // namespace
}  // namespace tarvelin
