#include "platform/posix/monotonic_clock.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

TEST(MonotonicSeconds, NeverDecreases) {
  int64_t last = MonotonicSeconds();
  EXPECT_GE(last, 0);
  for (int i = 0; i < 1000; ++i) {
    const int64_t now = MonotonicSeconds();
    ASSERT_GE(now, last);
    last = now;
  }
}

}  // namespace
}  // namespace tarvelin
