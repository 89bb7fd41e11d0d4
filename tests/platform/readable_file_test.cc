#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(ReadableFile, ReadsAnywhereAndShortAtTheEnd) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("f", "0123456789");
  Result<std::unique_ptr<ReadableFile>> file = env.NewReadableFile(dir.path() + "f");
  ASSERT_TRUE(file.ok());
  EXPECT_EQ((*file)->stamp().size, 10);
  char buffer[8];
  const struct {
    int64_t offset;
    size_t wanted;
    std::string got;
  } cases[] = {{3, 4, "3456"}, {8, 8, "89"}, {20, 8, ""}};
  for (const auto& c : cases) {
    const Result<size_t> got = (*file)->ReadAt(c.offset, buffer, c.wanted);
    ASSERT_TRUE(got.ok()) << c.offset;
    EXPECT_EQ(std::string(buffer, *got), c.got) << c.offset;
  }
  EXPECT_FALSE((*file)->ReadAt(-1, buffer, 8).ok());
}

TEST(ReadableFile, OnlyRegularFilesOpen) {
  testing::TempDir dir;
  PosixEnv env;
  EXPECT_TRUE(env.NewReadableFile(dir.path() + "missing").status().Is(StatusCode::kNotFound));
  EXPECT_TRUE(env.NewReadableFile(dir.path()).status().Is(StatusCode::kInvalidArgument))
      << "a directory";
  ASSERT_EQ(mkfifo((dir.path() + "pipe").c_str(), 0600), 0);
  EXPECT_TRUE(env.NewReadableFile(dir.path() + "pipe").status().Is(StatusCode::kInvalidArgument))
      << "a named pipe, refused without waiting";
}

}  // namespace
}  // namespace tarvelin
