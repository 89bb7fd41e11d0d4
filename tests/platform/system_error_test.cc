#include "platform/system_error.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

namespace tarvelin {
namespace {

TEST(SystemError, LastErrorOfAFailedCall) {
  ASSERT_NE(access("/no/such/file/anywhere", F_OK), 0);
  EXPECT_EQ(LastSystemError(), ENOENT);
}

TEST(SystemError, MessageTexts) {
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
  EXPECT_NE(SystemErrorText(987654).find("987654"), std::string::npos);
}

}  // namespace
}  // namespace tarvelin
