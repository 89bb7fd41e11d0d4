#include "platform/stamped_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/posix/file_calls.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(StampedFileTest, ReadsTheVersionItOpenedWithItsStamp) {
  testing::TempDir dir;
  PosixEnv env;
  const std::string path = dir.path() + "f.bin";
  dir.Write("f.bin", "first version");
  StampedFile file;
  ASSERT_TRUE(file.OpenFile(env, path).ok());
  EXPECT_EQ(file.stamp(), GetFileStamp(path));
  ASSERT_TRUE(WriteFileAtomic(env, path, "second").ok());
  EXPECT_NE(file.stamp(), GetFileStamp(path));
  char buffer[32] = {};
  EXPECT_EQ(file.ReadAt(6, buffer, sizeof buffer), 7);
  EXPECT_EQ(std::string(buffer), "version");
  EXPECT_EQ(file.ReadAt(-1, buffer, 1), -1);
  ASSERT_TRUE(file.OpenFile(env, path).ok());
  EXPECT_EQ(file.stamp().size, 6);
}

TEST(StampedFileTest, OnlyRegularFilesOpen) {
  testing::TempDir dir;
  PosixEnv env;
  StampedFile file;
  EXPECT_FALSE(file.OpenFile(env, dir.path() + "missing").ok());
  EXPECT_FALSE(file.stamp().exists);
  EXPECT_FALSE(file.OpenFile(env, dir.path()).ok());
  char byte;
  EXPECT_EQ(ReadHandleAt(-1, 0, &byte, 1), -1);
}

}  // namespace
}  // namespace tarvelin
