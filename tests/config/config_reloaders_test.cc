#include "config/config_reloaders.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/config/configuration.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(ConfigReloaders, EveryLoadRunsThemInOrderAfterTheDefaults) {
  testing::TempDir dir;
  Context context;
  context.api.install_path = dir.path();
  context.api.config_path = dir.path() + "config/";
  std::vector<std::string> calls;
  context.reloaders().Register("first", [&calls](const ApiState&, const ConfigState& config) {
    calls.push_back("first:" + std::to_string(config.record.Number(1028, 2)));
  });
  context.reloaders().Register(
      "second", [&calls](const ApiState&, const ConfigState&) { calls.push_back("second"); });
  LoadConfiguration(context, false);
  LoadConfiguration(context, false);
  EXPECT_EQ(calls, (std::vector<std::string>{"first:25", "second", "first:25", "second"}));

  // Registering a name again replaces its reloader in place.
  calls.clear();
  context.reloaders().Register(
      "first", [&calls](const ApiState&, const ConfigState&) { calls.push_back("replaced"); });
  LoadConfiguration(context, false);
  EXPECT_EQ(calls, (std::vector<std::string>{"replaced", "second"}));

  // Another Context knows none of them.
  Context other;
  other.api.config_path = dir.path() + "config/";
  calls.clear();
  LoadConfiguration(other, false);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace tarvelin
