#include "core/named_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "core/context.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(NamedFileTest, ReadsTheWholeFileOrSaysWhyNot) {
  testing::TempDir dir;
  const std::string bytes("a\0b\r\n", 5);
  dir.Write("record", bytes);
  dir.Write("folder/x", "");
  Context context;
  EXPECT_EQ(*ReadNamedFile(context, dir.path() + "record"), bytes);

  const Status missing = ReadNamedFile(context, dir.path() + "missing").status();
  EXPECT_EQ(missing, StatusCode::kNotFound);
  EXPECT_EQ(missing.message(), "cannot read " + dir.path() + "missing");
  EXPECT_EQ(missing.sys_errno(), ENOENT);
  const Status folder = ReadNamedFile(context, dir.path() + "folder").status();
  EXPECT_FALSE(folder.ok());
  EXPECT_EQ(folder.message(), "cannot read " + dir.path() + "folder");
}

}  // namespace
}  // namespace tarvelin
