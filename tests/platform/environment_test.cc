#include "platform/posix/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace tarvelin {
namespace {

TEST(EnvironmentTest, GetEnvironment) {
  setenv("TARVELIN_TEST_VALUE", "some value", 1);
  EXPECT_EQ(GetEnvironment("TARVELIN_TEST_VALUE"), "some value");
  unsetenv("TARVELIN_TEST_VALUE");
  EXPECT_EQ(GetEnvironment("TARVELIN_TEST_VALUE"), "");
}

}  // namespace
}  // namespace tarvelin
