#include "jobs/upgrade/upgrade_tasks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/config/configuration.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "schema/config_offsets.h"
#include "support/fake_service.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

constexpr int kSmtp = 0, kPop3 = 1, kControl = 2, kIm = 3, kGroupware = 4;
constexpr char kAddresses[] = "192.0.2.7;192.0.2.8";

struct Sent {
  int service;
  uint32_t first, second;
  bool operator==(const Sent&) const = default;
};

std::vector<Sent> SentOf(const UpgradeRun& run) {
  std::vector<Sent> sent;
  for (const SentNotification& s : run.sent) {
    sent.push_back({s.notification.service, s.notification.first, s.notification.second});
  }
  return sent;
}

const std::vector<Sent> kReload = {{kSmtp, 257, 0}, {kPop3, 257, 0}, {kIm, 257, 0},
                                   {kGroupware, 257, 0}, {kControl, 257, 0}};

std::vector<Sent> Then(std::vector<Sent> first, const std::vector<Sent>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

class UpgradeTasksTest : public ::testing::Test {
 protected:
  UpgradeTasksTest() : install_(dir_.path() + "inst/") {
    {
      Context creator;
      EXPECT_TRUE(CreateInstallation(creator, install_, {"example.org"}).ok());
      SetAddresses(creator, kAddresses);
      EXPECT_TRUE(WriteConfiguration(creator).ok());
    }
    EXPECT_TRUE(Init(context_, install_.c_str()).ok());
  }

  static void SetAddresses(Context& context, std::string_view text) {
    ServerConfig& record = context.config.record;
    record.SetByte(offsets::kServerAddresses, static_cast<uint8_t>(text.size()));
    for (size_t k = 0; k < text.size(); ++k) {
      record.SetByte(offsets::kServerAddresses + 1 + static_cast<int>(k),
                     static_cast<uint8_t>(text[k]));
    }
  }

  ServerConfig Stored() const { return testing::RecordOfSettingsFile(dir_.Read("inst/config/settings.cfg")); }

  std::string StoredAddresses() const {
    const ServerConfig record = Stored();
    std::string text;
    for (int k = 0; k < record.Byte(offsets::kServerAddresses); ++k) {
      text += static_cast<char>(record.Byte(offsets::kServerAddresses + 1 + k));
    }
    return text;
  }

  fs::path SettingsFile() const { return install_ + "config/settings.cfg"; }

  // An old stamp on settings.cfg, so that a write shows.
  void AgeSettings() {
    fs::last_write_time(SettingsFile(), fs::file_time_type::clock::now() - std::chrono::hours(24));
    aged_ = fs::last_write_time(SettingsFile());
  }
  bool SettingsWritten() const { return fs::last_write_time(SettingsFile()) != aged_; }

  testing::TempDir dir_;
  std::string install_;
  Context context_;
  fs::file_time_type aged_;
};

TEST_F(UpgradeTasksTest, StepsOfTheVersionsInBetweenRunInOrderAfterTheReload) {
  const std::vector<Sent> every_step = {
      {kGroupware, 3841, 0}, {kSmtp, 2, 0},          {kSmtp, 3, 1},          {kSmtp, 4, 2},
      {kSmtp, 4, 3},         {kSmtp, 4, 4},          {kGroupware, 3845, 5},  {kGroupware, 3845, 6},
      {kGroupware, 3845, 8}, {kSmtp, 2, 9},          {kSmtp, 2, 10},         {kSmtp, 4, 11},
      {kGroupware, 3845, 12}, {kGroupware, 3845, 13}, {kGroupware, 3845, 14}, {kSmtp, 4, 15},
      {kSmtp, 4, 16},        {kGroupware, 3845, 17}};
  struct Case {
    std::string previous;
    std::vector<std::string_view> steps;
    std::vector<Sent> sent;
  };
  const std::vector<Case> cases = {
      {"8.3.18", {}, kReload},
      {"9.0", {}, kReload},
      {"8.3.15", {"8.3.16", "8.3.17", "8.3.18"},
       Then(kReload, {{kSmtp, 4, 16}, {kGroupware, 3845, 17}})},
      {"8.3.16-1", {"8.3.17", "8.3.18"}, Then(kReload, {{kSmtp, 4, 16}, {kGroupware, 3845, 17}})},
      {"8.3.16", {"8.3.17", "8.3.18"}, Then(kReload, {{kSmtp, 4, 16}, {kGroupware, 3845, 17}})},
      {"7.4.6", {"7.4.7", "7.6.1", "7.6.3", "7.7.2", "8.2.10", "8.2.13", "8.3.11", "8.3.12",
                 "8.3.13", "8.3.14", "8.3.15", "8.3.16", "8.3.17", "8.3.18"},
       Then(kReload, std::vector<Sent>(every_step.begin() + 4, every_step.end()))},
      {"", {"7.1.3", "7.4.6", "7.4.7", "7.6.1", "7.6.3", "7.7.2", "8.2.10", "8.2.13", "8.3.11",
            "8.3.12", "8.3.13", "8.3.14", "8.3.15", "8.3.16", "8.3.17", "8.3.18"},
       Then(kReload, every_step)},
      {"not a version", {"7.1.3", "7.4.6", "7.4.7", "7.6.1", "7.6.3", "7.7.2", "8.2.10",
                         "8.2.13", "8.3.11", "8.3.12", "8.3.13", "8.3.14", "8.3.15", "8.3.16",
                         "8.3.17", "8.3.18"},
       Then(kReload, every_step)},
  };
  for (const Case& c : cases) {
    UpgradeRun run;
    ASSERT_TRUE(RunUpgradeTasks(context_, c.previous, run).ok()) << c.previous;
    EXPECT_EQ(run.steps, c.steps) << c.previous;
    EXPECT_TRUE(SentOf(run) == c.sent) << c.previous;
    for (const SentNotification& s : run.sent) EXPECT_FALSE(s.delivered) << "no service runs";
  }
}

TEST_F(UpgradeTasksTest, RunningServicesGetTheirNotificationsInOrder) {
  const std::string run_dir = install_ + "run/";
  fs::create_directories(run_dir);
  FakeService smtp(run_dir, "TarvelinSMTP");
  FakeService pop3(run_dir, "TarvelinPOP3");
  FakeService groupware(run_dir, "TarvelinCalendar");
  ASSERT_TRUE(smtp.ready() && pop3.ready() && groupware.ready());
  UpgradeRun run;
  ASSERT_TRUE(RunUpgradeTasks(context_, "8.3.14", run).ok());
  auto command = [](uint32_t first, uint32_t second) {
    return CommandHex(4096, 1280, first, second);
  };
  EXPECT_EQ(smtp.Requests(),
            (std::vector<std::string>{command(257, 0), command(4, 15), command(4, 16)}));
  EXPECT_EQ(pop3.Requests(), (std::vector<std::string>{command(257, 0)}));
  EXPECT_EQ(groupware.Requests(), (std::vector<std::string>{command(257, 0), command(3845, 17)}));
  std::vector<bool> delivered;
  for (const SentNotification& s : run.sent) delivered.push_back(s.delivered);
  EXPECT_EQ(delivered, (std::vector<bool>{true, true, false, true, false, true, true, true}))
      << "IM and control do not run: theirs are lost";
}

TEST_F(UpgradeTasksTest, TheConfigurationStepEmptiesTheServerAddressesUnlessFlagged) {
  ASSERT_EQ(StoredAddresses(), kAddresses);
  AgeSettings();
  UpgradeRun run;
  ASSERT_TRUE(RunUpgradeTasks(context_, "8.3.16", run).ok());
  EXPECT_FALSE(run.configuration_written);
  EXPECT_FALSE(SettingsWritten()) << "not older than 8.3.16: the step does not run";
  EXPECT_EQ(StoredAddresses(), kAddresses);

  ASSERT_TRUE(RunUpgradeTasks(context_, "8.3.15", run).ok());
  EXPECT_TRUE(run.configuration_written);
  EXPECT_TRUE(run.server_addresses_emptied);
  EXPECT_EQ(StoredAddresses(), "");
  EXPECT_EQ(context_.config.record.Byte(offsets::kServerAddresses), 0);

  // With the flag on, the list stays but the configuration is still written.
  SetAddresses(context_, kAddresses);
  context_.config.record.SetByte(offsets::kFlag1474, 1);
  ASSERT_TRUE(WriteConfiguration(context_).ok());
  AgeSettings();
  ASSERT_TRUE(RunUpgradeTasks(context_, "8.3.15", run).ok());
  EXPECT_TRUE(SettingsWritten());
  EXPECT_TRUE(run.configuration_written);
  EXPECT_FALSE(run.server_addresses_emptied);
  EXPECT_EQ(StoredAddresses(), kAddresses);
  EXPECT_EQ(Stored().Byte(offsets::kFlag1474), 1);
}

TEST_F(UpgradeTasksTest, TheConfigurationStepReadsWhatOtherProgramsSaved) {
  // Another program saves a change; this one's record in memory is older.
  {
    Context other;
    ASSERT_TRUE(Init(other, install_.c_str()).ok());
    other.config.record.SetByte(offsets::kFlag1474, 1);
    ASSERT_TRUE(WriteConfiguration(other).ok());
  }
  UpgradeRun run;
  ASSERT_TRUE(RunUpgradeTasks(context_, "8.3.15", run).ok());
  EXPECT_EQ(StoredAddresses(), kAddresses) << "the flag another program set is honoured";
  EXPECT_EQ(Stored().Byte(offsets::kFlag1474), 1);
}

TEST_F(UpgradeTasksTest, TheConfigurationGoesBackToTheInstallationsConfigFolder) {
  context_.api.config_path = dir_.path() + "elsewhere/";
  UpgradeRun run;
  ASSERT_TRUE(RunUpgradeTasks(context_, "8.3.15", run).ok());
  EXPECT_EQ(context_.api.config_path, install_ + "config/");
  EXPECT_EQ(StoredAddresses(), "");
  EXPECT_FALSE(dir_.Exists("elsewhere"));
}

TEST(UpgradeTasksWithoutInstallationTest, TheConfigurationStepFailsWritingNothing) {
  Context context;
  const bool before = fs::exists("config/settings.cfg");
  UpgradeRun run;
  const Status status = RunUpgradeTasks(context, "8.3.15", run);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message().find("no installation"), std::string::npos);
  EXPECT_EQ(run.steps, (std::vector<std::string_view>{"8.3.16"}));
  EXPECT_EQ(run.sent.size(), 5u) << "the reload only: the steps after the failure do not run";
  EXPECT_EQ(fs::exists("config/settings.cfg"), before);
}

}  // namespace
}  // namespace tarvelin
