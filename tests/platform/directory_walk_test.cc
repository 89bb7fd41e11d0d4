#include "platform/directory_walk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

std::vector<std::string> Walk(const std::string& root, bool recursive) {
  PosixEnv env;
  std::vector<std::string> seen;
  WalkFiles(env, root, recursive, [&](const WalkedFile& file) {
    seen.push_back(file.relative);
    return true;
  });
  return seen;
}

class DirectoryWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("b.txt", "bb");
    dir_.Write("a.txt", "a");
    dir_.Write("sub/z.dat", "zzz");
    dir_.Write("sub/deeper/y.dat", "");
    dir_.Write("c/x", "x");
  }
  TempDir dir_;
  PosixEnv env_;
};

TEST_F(DirectoryWalkTest, VisitsFilesInNameOrderWithTheirSizes) {
  EXPECT_EQ(Walk(dir_.path(), true),
            (std::vector<std::string>{"a.txt", "b.txt", "c/x", "sub/deeper/y.dat", "sub/z.dat"}));
  EXPECT_EQ(Walk(dir_.path(), false), (std::vector<std::string>{"a.txt", "b.txt"}));
  int64_t size = -1;
  WalkFiles(env_, dir_.path() + "sub", false, [&](const WalkedFile& file) {
    size = file.size;
    return true;
  });
  EXPECT_EQ(size, 3);
}

TEST_F(DirectoryWalkTest, FollowsFileLinksButNeverDirectoryLinks) {
  ASSERT_EQ(symlink((dir_.path() + "a.txt").c_str(), (dir_.path() + "sub/link.txt").c_str()), 0);
  // A link back to the root would make a walk that follows it endless.
  ASSERT_EQ(symlink(dir_.path().c_str(), (dir_.path() + "sub/loop").c_str()), 0);
  ASSERT_EQ(symlink("/nonexistent", (dir_.path() + "sub/dangling").c_str()), 0);
  EXPECT_EQ(Walk(dir_.path() + "sub", true),
            (std::vector<std::string>{"deeper/y.dat", "link.txt", "z.dat"}));
}

TEST_F(DirectoryWalkTest, StopsWhenTheVisitorSaysSo) {
  int visited = 0;
  EXPECT_FALSE(WalkFiles(env_, dir_.path(), true, [&](const WalkedFile&) { return ++visited < 2; }));
  EXPECT_EQ(visited, 2);
}

TEST_F(DirectoryWalkTest, MissingRootIsReported) {
  EXPECT_FALSE(WalkFiles(env_, dir_.path() + "missing", true, [](const WalkedFile&) { return true; }));
  EXPECT_TRUE(WalkFiles(env_, dir_.path() + "c\\", true, [](const WalkedFile&) { return true; }))
      << "stored paths may use backslashes";
}

}  // namespace
}  // namespace tarvelin
