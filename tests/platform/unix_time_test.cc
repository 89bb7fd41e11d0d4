#include "platform/posix/unix_time.h"

#include <gtest/gtest.h>

#include "platform/posix/file_calls.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(UnixTime, ComparableWithFileStamps) {
  testing::TempDir dir;
  const int64_t before = UnixTimeNs();
  dir.Write("f", "x");
  const int64_t after = UnixTimeNs();
  const int64_t stamped = GetFileStamp(dir.path() + "f").mtime_ns;
  // File systems stamp with a coarser clock: allow one tick of slack.
  EXPECT_GE(stamped, before - 20'000'000);
  EXPECT_LE(stamped, after + 20'000'000);
}

}  // namespace
}  // namespace tarvelin
