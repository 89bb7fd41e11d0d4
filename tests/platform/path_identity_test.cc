#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(PathIdentity, LinksLeadToTheSameObject) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("a/file", "x");
  dir.Write("b/file", "x");
  ASSERT_EQ(symlink((dir.path() + "a").c_str(), (dir.path() + "link").c_str()), 0);
  const auto identity = [&](const std::string& path) {
    const Result<PathInfo> info = env.GetPathInfo(path, Links::kFollow);
    EXPECT_TRUE(info.ok()) << path;
    return info.ok() ? info->identity() : PathIdentity{};
  };
  const PathIdentity a = identity(dir.path() + "a");
  EXPECT_EQ(a, identity(dir.path() + "link"));
  EXPECT_EQ(a, identity(dir.path() + "a/"));
  EXPECT_FALSE(a == identity(dir.path() + "b"));
  EXPECT_FALSE(env.GetPathInfo(dir.path() + "missing", Links::kFollow).ok());
}

TEST(RealPath, LinksDotsAndRepeatedSeparatorsResolve) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("a/b/file", "x");
  ASSERT_EQ(symlink((dir.path() + "a/b").c_str(), (dir.path() + "link").c_str()), 0);
  const Result<std::string> real_b = env.RealPath(dir.path() + "a/b/");
  ASSERT_TRUE(real_b.ok());
  EXPECT_EQ(real_b->back(), 'b') << "no trailing separator";
  EXPECT_EQ(*env.RealPath(dir.path() + "link"), *real_b);
  EXPECT_EQ(*env.RealPath(dir.path() + "link/../b//./"), *real_b);
  EXPECT_EQ(*env.RealPath(dir.path() + "link/file"), *real_b + "/file");
  EXPECT_EQ(*env.RealPath("/"), "/");
  EXPECT_FALSE(env.RealPath(dir.path() + "missing/x").ok());
}

}  // namespace
}  // namespace tarvelin
