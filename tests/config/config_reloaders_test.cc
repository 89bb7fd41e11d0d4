#include "config/config_reloaders.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/config_store.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(ConfigReloaders, EveryLoadRunsThemInOrderAfterTheDefaults) {
  testing::TempDir dir;
  Context context;
  context.api.install_path = dir.path();
  context.api.config_path = dir.path() + "config/";
  // The registrations outlive the test: what they write to must too.
  static std::vector<std::string> calls;
  RegisterConfigReloader("first", [](const ApiState&, const ConfigState& config) {
    calls.push_back("first:" + std::to_string(config.record.Number(1028, 2)));
  });
  RegisterConfigReloader("second",
                         [](const ApiState&, const ConfigState&) { calls.push_back("second"); });
  LoadServerConfig(context.api, context.config, &context.domains, false);
  LoadServerConfig(context.api, context.config, &context.domains, false);
  EXPECT_EQ(calls, (std::vector<std::string>{"first:25", "second", "first:25", "second"}));

  // Registering a name again replaces its reloader in place.
  calls.clear();
  RegisterConfigReloader("first",
                         [](const ApiState&, const ConfigState&) { calls.push_back("replaced"); });
  LoadServerConfig(context.api, context.config, &context.domains, false);
  EXPECT_EQ(calls, (std::vector<std::string>{"replaced", "second"}));
}

}  // namespace
}  // namespace tarvelin
