#include "platform/remove_tree.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

TEST(RemoveTree, RemovesTheFolderWithEverythingBelow) {
  TempDir dir;
  dir.Write("box/inbox/1.imap", "a");
  dir.Write("box/inbox/deep/more/2.imap", "b");
  dir.Write("box/3.tmp", "c");
  dir.Write("box/.hidden", "d");
  dir.Write("other/keep.txt", "e");
  EXPECT_TRUE(RemoveTree(dir.path() + "box/"));
  EXPECT_FALSE(dir.Exists("box"));
  EXPECT_TRUE(dir.Exists("other/keep.txt"));
  EXPECT_TRUE(RemoveTree(dir.path() + "box")) << "a missing folder is removed already";
}

TEST(RemoveTree, LinksAreRemovedNotFollowed) {
  TempDir dir;
  dir.Write("outside/precious.txt", "keep");
  dir.Write("box/1.tmp", "a");
  ASSERT_EQ(::symlink((dir.path() + "outside").c_str(), (dir.path() + "box/link").c_str()), 0);
  ASSERT_EQ(::symlink((dir.path() + "outside").c_str(), (dir.path() + "boxlink").c_str()), 0);

  EXPECT_TRUE(RemoveTree(dir.path() + "boxlink/")) << "a link given itself goes, not its target";
  EXPECT_FALSE(dir.Exists("boxlink"));
  EXPECT_TRUE(RemoveTree(dir.path() + "box"));
  EXPECT_FALSE(dir.Exists("box"));
  EXPECT_EQ(dir.Read("outside/precious.txt"), "keep");
}

TEST(RemoveTree, AFileIsRemovedAndAnEmptyPathRefused) {
  TempDir dir;
  dir.Write("file", "x");
  EXPECT_TRUE(RemoveTree(dir.path() + "file"));
  EXPECT_FALSE(dir.Exists("file"));
  EXPECT_FALSE(RemoveTree(""));
}

}  // namespace
}  // namespace tarvelin
