#include "foundation/status.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tarvelin {
namespace {

TEST(StatusTest, OkCarriesNothing) {
  const Status status;
  EXPECT_TRUE(status.ok());
  EXPECT_EQ(status.ToString(), "OK");
  EXPECT_EQ(status.sys_errno(), 0);
}

TEST(StatusTest, FailureSaysWhatAndWhy) {
  const struct {
    Status status;
    StatusCode code;
    const char* text;
  } cases[] = {
      {Status::NotFound("domain x.org"), StatusCode::kNotFound, "not found: domain x.org"},
      {Status::BufferTooSmall("need 2848 bytes"), StatusCode::kBufferTooSmall,
       "buffer too small: need 2848 bytes"},
      {Status::IOError("write users.cfg.tmp", ENOSPC), StatusCode::kIOError,
       "IO error: write users.cfg.tmp: No space left on device"},
      {Status::NotLoadable("settings.cfg", ENOENT), StatusCode::kNotLoadable,
       "not loadable: settings.cfg: No such file or directory"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.status.ok());
    EXPECT_EQ(c.status.code(), c.code);
    EXPECT_TRUE(c.status.Is(c.code));
    EXPECT_EQ(c.status.ToString(), c.text);
  }
}

Status Fails() { return Status::Refused("policy"); }
Status Passes() { return Status(); }

Status Chain(bool fail, int* reached) {
  TARVELIN_RETURN_IF_ERROR(Passes());
  ++*reached;
  TARVELIN_RETURN_IF_ERROR(fail ? Fails() : Passes());
  ++*reached;
  return Status();
}

TEST(StatusTest, ReturnIfErrorStopsAtTheFirstFailure) {
  int reached = 0;
  EXPECT_TRUE(Chain(false, &reached).ok());
  EXPECT_EQ(reached, 2);
  reached = 0;
  EXPECT_EQ(Chain(true, &reached).code(), StatusCode::kRefused);
  EXPECT_EQ(reached, 1);
}

TEST(StatusTest, ResultHoldsAValueOrTheReasonForNone) {
  const Result<int> value = 7;
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(*value, 7);
  const Result<int> none = Status::NotFound("position 9");
  EXPECT_FALSE(none.ok());
  EXPECT_EQ(none.status().message(), "position 9");
  EXPECT_EQ(none.value_or(-1), -1);
}

}  // namespace
}  // namespace tarvelin
