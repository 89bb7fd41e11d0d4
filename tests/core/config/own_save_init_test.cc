// Init after this process saved the configuration itself: the save is no
// change to load, so an Init with another folder keeps the installation.
#include <gtest/gtest.h>

#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(OwnSaveInit, AnInitAfterTheProcesssOwnSaveKeepsTheInstallation) {
  testing::TempDir dir;
  testing::TempDir elsewhere;
  Context context;
  ASSERT_TRUE(CreateInstallation(context, dir.path(), {"example.org"}).ok());
  ASSERT_TRUE(Init(context, dir.path().c_str()).ok());
  dir.Write("run/.keep", "");
  const uint8_t length = 9;
  ASSERT_TRUE(SetConfigSetting(context, 156, &length, 1).ok());
  SaveConfig(context);

  EXPECT_TRUE(Init(context, elsewhere.path().c_str()).ok());
  EXPECT_EQ(context.api.install_path, dir.path());
  EXPECT_EQ(FindDomainPosition(context, "example.org"), 0);
  uint8_t read = 0;
  ASSERT_TRUE(GetConfigSetting(context, 156, &read, 1).ok());
  EXPECT_EQ(read, 9);

  // Another program's save is still loaded by the next Init.
  Context other;
  ASSERT_TRUE(Init(other, dir.path().c_str()).ok());
  const uint8_t changed = 12;
  ASSERT_TRUE(SetConfigSetting(other, 156, &changed, 1).ok());
  SaveConfig(other);
  ASSERT_TRUE(Init(context, dir.path().c_str()).ok());
  ASSERT_TRUE(GetConfigSetting(context, 156, &read, 1).ok());
  EXPECT_EQ(read, 12);
}

}  // namespace
}  // namespace tarvelin
