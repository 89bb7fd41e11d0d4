#include "platform/path_identity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(GetPathIdentity, LinksLeadToTheSameObject) {
  testing::TempDir dir;
  dir.Write("a/file", "x");
  dir.Write("b/file", "x");
  ASSERT_EQ(symlink((dir.path() + "a").c_str(), (dir.path() + "link").c_str()), 0);
  PathIdentity a, b, link, trailing;
  ASSERT_TRUE(GetPathIdentity(dir.path() + "a", &a));
  ASSERT_TRUE(GetPathIdentity(dir.path() + "b", &b));
  ASSERT_TRUE(GetPathIdentity(dir.path() + "link", &link));
  ASSERT_TRUE(GetPathIdentity(dir.path() + "a/", &trailing));
  EXPECT_EQ(a, link);
  EXPECT_EQ(a, trailing);
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(GetPathIdentity(dir.path() + "missing", &a));
}

}  // namespace
}  // namespace tarvelin
