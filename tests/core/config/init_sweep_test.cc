// Init removes from the configuration folder the temporary files of
// programs that died while writing, and nothing else.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "core/config/configuration.h"
#include "core/config/init.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(InitSweep, TempFilesOfEndedProgramsGoFromTheConfigurationFolder) {
  testing::TempDir dir;
  {
    Context writer;
    writer.api.install_path = dir.path();
    writer.api.config_path = dir.path() + "config/";
    LoadConfiguration(writer, /*must_exist=*/false);
    ASSERT_TRUE(WriteConfiguration(writer).ok());
  }
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = ".~tarvelin." + std::to_string(child) + ".ab.1";
  const std::string alive = ".~tarvelin." + std::to_string(::getpid()) + ".ab.1";
  for (const std::string& name : {dead, alive}) dir.Write("config/" + name, "half");
  dir.Write("config/a.example/" + dead, "half");

  Context context;
  ASSERT_EQ(Init(context, dir.path().c_str()).ok(), true);
  EXPECT_FALSE(dir.Exists("config/" + dead));
  EXPECT_TRUE(dir.Exists("config/" + alive));  // its writer may still be at work
  EXPECT_TRUE(dir.Exists("config/a.example/" + dead));  // left to backups and restores
  EXPECT_TRUE(dir.Exists("config/settings.cfg"));
}

}  // namespace
}  // namespace tarvelin
