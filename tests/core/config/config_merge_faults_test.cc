// A merged save that dies part way, at every step: each of settings.cfg
// and domains.cfg is the file as it was or as the finished save writes it,
// never a torn one, no temporary file stays, and the lock is free again.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "core/config/config_merge.h"
#include "core/config/config_save.h"
#include "core/config/configuration.h"
#include "core/config/init.h"
#include "core/context.h"
#include "platform/fault_injection_env.h"
#include "platform/posix_env.h"
#include "schema/config_offsets.h"
#include "store/lock_names.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

// Whether another Context gets kSettingsLock within a few seconds. A lock
// left held keeps the waiting thread, which is left behind.
bool SettingsLockIsFree(const std::string& config_path) {
  auto env = std::make_shared<PosixEnv>();
  auto locks = std::make_shared<CrossProcessLocks>(*env);
  auto got = std::make_shared<std::promise<bool>>();
  std::future<bool> done = got->get_future();
  std::thread([env, locks, got, config_path] {
    got->set_value(locks->Acquire(LockFileOf(config_path), kSettingsLock).ok());
  }).detach();
  return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready && done.get();
}

std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "settings.cfg" && name != "domains.cfg" && name != kLockFileName &&
        !entry.is_directory()) {
      found.push_back(name);
    }
  }
  return found;
}

class ConfigMergeFaultsTest : public ::testing::Test {
 protected:
  // A fresh installation; another program has saved since `crashing`
  // loaded it, and `crashing` holds changes of its own.
  void Lay(FaultInjectionEnv& env) {
    std::filesystem::remove_all(dir_.path() + "config");
    {
      Context installer;
      installer.api.install_path = dir_.path();
      installer.api.config_path = dir_.path() + "config/";
      LoadConfiguration(installer, /*must_exist=*/false);
      // Otherwise each laying draws a new password (all of whose 32
      // characters are kept, significant or not).
      installer.config.record.SetText(offsets::kGroupwareUser, "gw");
      installer.config.record.SetText(offsets::kGroupwarePassword,
                                      "0123456789abcdef0123456789abcdef");
      installer.domains().Append("a.example");
      ASSERT_TRUE(SaveConfiguration(installer));
    }
    ContextOptions options;
    options.env = &env;
    crashing_ = std::make_unique<Context>(std::move(options));
    ASSERT_TRUE(Init(*crashing_, dir_.path().c_str()).ok());
    Context other;
    ASSERT_TRUE(Init(other, dir_.path().c_str()).ok());
    other.config.record.SetNumber(1028, 2, 2525);
    other.domains().Append("other.example");
    SaveConfig(other);

    crashing_->config.record.SetText(offsets::kHostName, "crashing.example");
    crashing_->domains().Append("mine.example");
    old_settings_ = dir_.Read("config/settings.cfg");
    old_domains_ = dir_.Read("config/domains.cfg");
  }

  TempDir dir_;
  std::unique_ptr<Context> crashing_;
  std::string old_settings_, old_domains_;
};

TEST_F(ConfigMergeFaultsTest, ACrashAnywhereLeavesOldOrNewFilesAndNoLock) {
  PosixEnv plain;
  std::string new_settings, new_domains;
  {
    FaultInjectionEnv env(plain);
    Lay(env);
    SaveConfig(*crashing_);
    new_settings = dir_.Read("config/settings.cfg");
    new_domains = dir_.Read("config/domains.cfg");
    ASSERT_NE(new_settings, old_settings_);
    ASSERT_NE(new_domains, old_domains_);
    crashing_.reset();
  }
  bool finished = false;
  for (int64_t steps = 0; steps < 100 && !finished; ++steps) {
    SCOPED_TRACE("crash after " + std::to_string(steps) + " steps");
    FaultInjectionEnv env(plain);
    Lay(env);
    env.CrashAfter(steps);
    SaveConfig(*crashing_);
    finished = !env.crashed();
    const std::string settings = dir_.Read("config/settings.cfg");
    const std::string domains = dir_.Read("config/domains.cfg");
    EXPECT_TRUE(settings == old_settings_ || settings == new_settings);
    EXPECT_TRUE(domains == old_domains_ || domains == new_domains);
    // A writer that died may leave its temporary file, under a name no
    // reader takes for the file; one that finished leaves none.
    if (finished) {
      EXPECT_EQ(TemporaryFiles(dir_.path() + "config"), std::vector<std::string>{});
    }
    EXPECT_TRUE(SettingsLockIsFree(dir_.path() + "config/"));
    crashing_.reset();
  }
  EXPECT_TRUE(finished) << "the save ends within the steps tried";
}

}  // namespace
}  // namespace tarvelin
