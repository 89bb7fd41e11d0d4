#include "platform/os_path.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

TEST(OsPathTest, Separators) {
  const struct {
    const char* path;
    bool trailing;
    const char* with_trailing;
    const char* os_path;
    bool absolute;
  } cases[] = {
      {"", false, "", "", false},
      {"/", true, "/", "/", true},
      {"\\", true, "\\", "/", true},
      {"/var/mail", false, "/var/mail/", "/var/mail", true},
      {"/var/mail/", true, "/var/mail/", "/var/mail/", true},
      {"C:\\mail\\", true, "C:\\mail\\", "C:/mail/", false},
      {"\\srv\\mail\\domains", false, "\\srv\\mail\\domains/", "/srv/mail/domains", true},
      {"domains\\a.com/users", false, "domains\\a.com/users/", "domains/a.com/users", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HasTrailingSeparator(c.path), c.trailing) << c.path;
    EXPECT_EQ(WithTrailingSeparator(c.path), c.with_trailing) << c.path;
    EXPECT_EQ(ToOsPath(c.path), c.os_path) << c.path;
    EXPECT_EQ(IsAbsolutePath(c.path), c.absolute) << c.path;
  }
}

}  // namespace
}  // namespace tarvelin
