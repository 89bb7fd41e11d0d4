#include "core/log_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/create_installation.h"
#include "core/context.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class LogFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateInstallation(context_, dir_.path() + "inst", {}).ok());
  }
  testing::TempDir dir_;
  Context context_;
};

TEST_F(LogFilesTest, TodaysFileOfTheKind) {
  const Result<LogTail> none = TailOfTodaysLog(context_, 0, 5);
  ASSERT_EQ(none.status(), StatusCode::kNotFound);
  EXPECT_EQ(
      none.status().message().rfind("no log file for today: " + dir_.path() + "inst/logs/s", 0), 0u)
      << none.status().message();

  const std::string file = none.status().message().substr(sizeof "no log file for today: " - 1);
  dir_.Write(file.substr(dir_.path().size()), "one\r\ntwo\r\nthree");
  const Result<LogTail> tail = TailOfTodaysLog(context_, 0, 2);
  ASSERT_TRUE(tail.ok()) << tail.status().ToString();
  EXPECT_EQ(tail->file, file);
  EXPECT_EQ(tail->lines, (std::vector<std::string>{"two", "three"}));
  EXPECT_TRUE(TailOfTodaysLog(context_, 0, 0)->lines.empty());
}

TEST_F(LogFilesTest, UnknownKindsAreRefused) {
  for (int kind : {-1, kServerLogKinds}) {
    EXPECT_EQ(TailOfTodaysLog(context_, kind, 1).status(), StatusCode::kInvalidArgument) << kind;
  }
}

}  // namespace
}  // namespace tarvelin
