#include "platform/replacement_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ReplacementFileTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.path() + name; }
  testing::TempDir dir_;
};

TEST_F(ReplacementFileTest, CommitReplacesTheTargetAsAWhole) {
  dir_.Write("users.cfg", "old content");
  dir_.Write("users.cfg.tmp", "left over by a crash, longer than the new content");
  ReplacementFile file;
  ASSERT_TRUE(file.Open(Path("users.cfg.tmp"), Path("users.cfg")));
  ASSERT_TRUE(file.Append("new ", 4));
  EXPECT_EQ(dir_.Read("users.cfg"), "old content") << "readers see the old file until the end";
  ASSERT_TRUE(file.Append("content", 7));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(dir_.Read("users.cfg"), "new content");
  EXPECT_FALSE(dir_.Exists("users.cfg.tmp"));
  EXPECT_FALSE(file.Commit()) << "once only";
}

TEST_F(ReplacementFileTest, UncommittedWorkLeavesTheTarget) {
  dir_.Write("users.cfg", "old");
  {
    ReplacementFile file;
    ASSERT_TRUE(file.Open(Path("users.cfg.tmp"), Path("users.cfg")));
    file.Append("partial", 7);
  }
  EXPECT_EQ(dir_.Read("users.cfg"), "old");
  EXPECT_FALSE(dir_.Exists("users.cfg.tmp"));

  ReplacementFile file;
  ASSERT_TRUE(file.Open(Path("users.cfg.tmp"), Path("users.cfg")));
  file.Discard();
  EXPECT_FALSE(file.Append("x", 1));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(dir_.Read("users.cfg"), "old");
}

TEST_F(ReplacementFileTest, MissingFolderFailsToOpen) {
  ReplacementFile file;
  EXPECT_FALSE(file.Open(Path("no/users.cfg.tmp"), Path("no/users.cfg")));
  EXPECT_FALSE(file.Append("x", 1));
  EXPECT_FALSE(file.Commit());
}

}  // namespace
}  // namespace tarvelin
