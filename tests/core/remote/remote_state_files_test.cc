#include "core/remote/remote_state_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(RemoteStateFiles, Resolve) {
  struct Case {
    const char* stored;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"pop/state1", "/inst/config/pop/state1"},
      {"pop\\state1", "/inst/config/pop/state1"},
      {"/var/lib/state", "/var/lib/state"},
      {"\\var\\lib\\state", "/var/lib/state"},
      {"/var/../etc/state", "/var/../etc/state"},  // absolute: taken as the record holds it
      {"a/../b", "/inst/config/a/../b"},
      {"./a/./b/../../c", "/inst/config/./a/./b/../../c"},
      {"..", std::nullopt},
      {"../settings.cfg", std::nullopt},
      {"..\\..\\etc\\passwd", std::nullopt},
      {"a/../../config/x", std::nullopt},  // leaves the folder before coming back
      {"a//..//../x", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveStateFile("/inst/config/", c.stored), c.path) << c.stored;
  }
}

class RemoveStateFilesTest : public ::testing::Test {
 protected:
  void WriteSet(const std::string& base) {
    for (const char* suffix : {"", ".hdr", ".dom", ".rt", ".keep"}) dir_.Write(base + suffix, "x");
  }
  testing::TempDir dir_;
  PosixEnv env_;
};

TEST_F(RemoveStateFilesTest, RemovesTheFileAndItsCompanionsOnly) {
  WriteSet("config/pop/acct");
  RemoveStateFiles(env_, dir_.path() + "config/", "pop\\acct");
  for (const char* suffix : {"", ".hdr", ".dom", ".rt"}) {
    EXPECT_FALSE(dir_.Exists(std::string("config/pop/acct") + suffix)) << suffix;
  }
  EXPECT_TRUE(dir_.Exists("config/pop/acct.keep"));
}

TEST_F(RemoveStateFilesTest, AbsoluteNamesAreRemovedWhereTheyPoint) {
  WriteSet("elsewhere/acct");
  RemoveStateFiles(env_, dir_.path() + "config/", dir_.path() + "elsewhere/acct");
  EXPECT_FALSE(dir_.Exists("elsewhere/acct"));
  EXPECT_FALSE(dir_.Exists("elsewhere/acct.rt"));
}

TEST_F(RemoveStateFilesTest, NamesClimbingOutOfTheFolderRemoveNothing) {
  WriteSet("victim");
  dir_.Write("config/settings.cfg", "x");
  RemoveStateFiles(env_, dir_.path() + "config/", "../victim");
  RemoveStateFiles(env_, dir_.path() + "config/", "");
  EXPECT_TRUE(dir_.Exists("victim"));
  EXPECT_TRUE(dir_.Exists("victim.hdr"));
  EXPECT_TRUE(dir_.Exists("config/settings.cfg"));
}

}  // namespace
}  // namespace tarvelin
