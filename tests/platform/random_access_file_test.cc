#include "platform/random_access_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(RandomAccessFile, ReadsAnywhereAndShortAtTheEnd) {
  testing::TempDir dir;
  dir.Write("f", "0123456789");
  RandomAccessFile file;
  ASSERT_TRUE(file.Open(dir.path() + "f"));
  EXPECT_EQ(file.size(), 10);
  char buffer[8];
  EXPECT_EQ(file.ReadAt(3, buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "3456");
  EXPECT_EQ(file.ReadAt(8, buffer, 8), 2);
  EXPECT_EQ(file.ReadAt(20, buffer, 8), 0);
  EXPECT_EQ(file.ReadAt(-1, buffer, 8), -1);
}

TEST(RandomAccessFile, OnlyRegularFilesOpen) {
  testing::TempDir dir;
  RandomAccessFile file;
  EXPECT_FALSE(file.Open(dir.path() + "missing"));
  EXPECT_FALSE(file.Open(dir.path())) << "a directory";
  ASSERT_EQ(mkfifo((dir.path() + "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(file.Open(dir.path() + "pipe")) << "a named pipe, refused without waiting";
  char byte;
  EXPECT_EQ(file.ReadAt(0, &byte, 1), -1);
}

}  // namespace
}  // namespace tarvelin
