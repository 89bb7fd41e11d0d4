#include "mailstore/folder_size.h"

#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include "schema/server_config.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

constexpr int64_t kNow = 1'700'000'000;

// Gives the file the modification time `seconds`.
void SetModified(const std::string& path, int64_t seconds) {
  const timeval times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
  ASSERT_EQ(utimes(path.c_str(), times), 0) << path;
}

class FolderSizeTest : public ::testing::Test {
 protected:
  FolderSizeTest() {
    dir_.Write("box/a.imap", std::string(100, 'a'));
    dir_.Write("box/b.tmp", std::string(20, 'b'));
    dir_.Write("box/c.IMAP", std::string(1000, 'c'));  // extensions are case-sensitive
    dir_.Write("box/notes.txt", std::string(1000, 'n'));
    dir_.Write("box/inbox/d.imap", std::string(3, 'd'));
    dir_.Write("box/inbox/deeper/e.imap", std::string(4, 'e'));
  }
  FolderSizeCache Cache(bool on) const { return FolderSizeCache{on, 1800, kNow}; }
  std::string Box() const { return dir_.path() + "box/"; }

  TempDir dir_;
  PosixEnv env_;
};

TEST_F(FolderSizeTest, CountsMessageFilesOfTheWholeTree) {
  EXPECT_EQ(MeasureFolder(env_, Box(), Cache(false)), (FolderTotals{127, 4}));
  EXPECT_EQ(MeasureFolder(env_, dir_.path() + "box", Cache(false)), (FolderTotals{127, 4}));
  EXPECT_FALSE(dir_.Exists("box/size.dat")) << "the cache is off";
  EXPECT_EQ(MeasureFolder(env_, dir_.path() + "missing/", Cache(true)), (FolderTotals{0, 0}));
  EXPECT_FALSE(dir_.Exists("missing/size.dat"));
}

TEST_F(FolderSizeTest, CacheWritesEveryMeasuredFolderAndServesFreshFiles) {
  ASSERT_EQ(MeasureFolder(env_, Box(), Cache(true)), (FolderTotals{127, 4}));
  EXPECT_EQ(dir_.Read("box/size.dat"), "127\r\n4\r\n");
  EXPECT_EQ(dir_.Read("box/inbox/size.dat"), "7\r\n2\r\n");
  EXPECT_EQ(dir_.Read("box/inbox/deeper/size.dat"), "4\r\n1\r\n");

  // A fresh size.dat stands for its folder, even when the folder changed.
  dir_.Write("box/inbox/new.imap", std::string(50, 'n'));
  dir_.Write("box/size.dat", "1000\r\n9\r\n");
  SetModified(dir_.path() + "box/size.dat", kNow - 1800);
  EXPECT_EQ(MeasureFolder(env_, Box(), Cache(true)), (FolderTotals{1000, 9}))
      << "written exactly one lifetime ago: still fresh";

  SetModified(dir_.path() + "box/size.dat", kNow - 1801);
  EXPECT_EQ(MeasureFolder(env_, Box(), Cache(true)), (FolderTotals{127, 4}))
      << "the top folder is measured again, its inbox still served by its own size.dat";
  SetModified(dir_.path() + "box/size.dat", kNow - 1801);
  SetModified(dir_.path() + "box/inbox/size.dat", kNow - 1801);
  EXPECT_EQ(MeasureFolder(env_, Box(), Cache(true)), (FolderTotals{177, 5}));
}

TEST_F(FolderSizeTest, DamagedSizeFileIsMeasuredAfresh) {
  for (const char* content : {"", "12\r\n", "abc\r\n1\r\n", "-5\r\n1\r\n", "12 \r\nx\r\n"}) {
    dir_.Write("box/size.dat", content);
    SetModified(dir_.path() + "box/size.dat", kNow);
    EXPECT_EQ(MeasureFolder(env_, Box(), Cache(true)), (FolderTotals{127, 4})) << content;
    EXPECT_EQ(dir_.Read("box/size.dat"), "127\r\n4\r\n");
  }
}

TEST_F(FolderSizeTest, LinkBackIntoTheTreeIsNotFollowedForever) {
  ASSERT_EQ(symlink(Box().c_str(), (Box() + "inbox/loop").c_str()), 0);
  EXPECT_EQ(MeasureFolder(env_, Box(), Cache(false)), (FolderTotals{127, 4}));
  EXPECT_EQ(MeasureFolder(env_, Box(), Cache(true)), (FolderTotals{127, 4}))
      << "the size.dat of the folder being measured is not taken through the link";
}

TEST(FolderSizeCacheOf, SwitchAndLifetimeFromTheConfiguration) {
  ServerConfig config;
  LockTable locks;
  PosixEnv env;
  config.SetNumber(28052, 4, 0);
  config.SetByte(28056, 0);
  FolderSizeCache cache = FolderSizeCacheOf(env, config, locks);
  EXPECT_FALSE(cache.on);
  EXPECT_EQ(cache.lifetime_seconds, 1800) << "0 means 1800";
  EXPECT_NEAR(static_cast<double>(cache.now), static_cast<double>(env.NowUnixSeconds()), 2);

  config.SetNumber(28052, 4, 60);
  config.SetByte(28056, 1);
  cache = FolderSizeCacheOf(env, config, locks);
  EXPECT_TRUE(cache.on);
  EXPECT_EQ(cache.lifetime_seconds, 60);
}

}  // namespace
}  // namespace tarvelin
