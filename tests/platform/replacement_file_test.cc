#include "platform/replacement_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ReplacementFileTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.path() + name; }
  testing::TempDir dir_;
  PosixEnv env_;
};

TEST_F(ReplacementFileTest, CommitReplacesTheTargetAsAWhole) {
  dir_.Write("users.cfg", "old content");
  dir_.Write("users.cfg.tmp", "left over by a crash, longer than the new content");
  ReplacementFile file(env_);
  ASSERT_TRUE(file.OpenFile(Path("users.cfg.tmp"), Path("users.cfg")).ok());
  ASSERT_TRUE(file.Append("new ", 4).ok());
  EXPECT_EQ(dir_.Read("users.cfg"), "old content") << "readers see the old file until the end";
  ASSERT_TRUE(file.Append("content", 7).ok());
  ASSERT_TRUE(file.CommitFile().ok());
  EXPECT_EQ(dir_.Read("users.cfg"), "new content");
  EXPECT_FALSE(dir_.Exists("users.cfg.tmp"));
  EXPECT_FALSE(file.CommitFile().ok()) << "once only";
}

TEST_F(ReplacementFileTest, UncommittedWorkLeavesTheTarget) {
  dir_.Write("users.cfg", "old");
  {
    ReplacementFile file(env_);
    ASSERT_TRUE(file.OpenFile(Path("users.cfg.tmp"), Path("users.cfg")).ok());
    file.Append("partial", 7);
  }
  EXPECT_EQ(dir_.Read("users.cfg"), "old");
  EXPECT_FALSE(dir_.Exists("users.cfg.tmp"));

  ReplacementFile file(env_);
  ASSERT_TRUE(file.OpenFile(Path("users.cfg.tmp"), Path("users.cfg")).ok());
  file.Discard();
  EXPECT_FALSE(file.Append("x", 1).ok());
  EXPECT_FALSE(file.CommitFile().ok());
  EXPECT_EQ(dir_.Read("users.cfg"), "old");
}

TEST_F(ReplacementFileTest, MissingFolderFailsToOpen) {
  ReplacementFile file(env_);
  EXPECT_FALSE(file.OpenFile(Path("no/users.cfg.tmp"), Path("no/users.cfg")).ok());
  EXPECT_FALSE(file.Append("x", 1).ok());
  EXPECT_FALSE(file.CommitFile().ok());
}

}  // namespace
}  // namespace tarvelin
