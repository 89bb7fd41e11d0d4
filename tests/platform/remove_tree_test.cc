#include "platform/remove_tree.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

TEST(RemoveTree, RemovesTheFolderWithEverythingBelow) {
  TempDir dir;
  PosixEnv env;
  dir.Write("box/inbox/1.imap", "a");
  dir.Write("box/inbox/deep/more/2.imap", "b");
  dir.Write("box/3.tmp", "c");
  dir.Write("box/.hidden", "d");
  dir.Write("other/keep.txt", "e");
  EXPECT_TRUE(RemoveTree(env, dir.path() + "box/").ok());
  EXPECT_FALSE(dir.Exists("box"));
  EXPECT_TRUE(dir.Exists("other/keep.txt"));
  EXPECT_TRUE(RemoveTree(env, dir.path() + "box").ok()) << "a missing folder is removed already";
}

TEST(RemoveTree, LinksAreRemovedNotFollowed) {
  TempDir dir;
  PosixEnv env;
  dir.Write("outside/precious.txt", "keep");
  dir.Write("box/1.tmp", "a");
  ASSERT_EQ(::symlink((dir.path() + "outside").c_str(), (dir.path() + "box/link").c_str()), 0);
  ASSERT_EQ(::symlink((dir.path() + "outside").c_str(), (dir.path() + "boxlink").c_str()), 0);

  EXPECT_TRUE(RemoveTree(env, dir.path() + "boxlink/").ok()) << "a link given itself goes, not its target";
  EXPECT_FALSE(dir.Exists("boxlink"));
  EXPECT_TRUE(RemoveTree(env, dir.path() + "box").ok());
  EXPECT_FALSE(dir.Exists("box"));
  EXPECT_EQ(dir.Read("outside/precious.txt"), "keep");
}

TEST(RemoveTree, AFileIsRemovedAndAnEmptyPathRefused) {
  TempDir dir;
  PosixEnv env;
  dir.Write("file", "x");
  EXPECT_TRUE(RemoveTree(env, dir.path() + "file").ok());
  EXPECT_FALSE(dir.Exists("file"));
  EXPECT_FALSE(RemoveTree(env, "").ok());
}

}  // namespace
}  // namespace tarvelin
