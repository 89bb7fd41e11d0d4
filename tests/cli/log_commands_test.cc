// tarvelin-admin log tail, run as a user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/posix_env.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

std::string Today() {
  PosixEnv env;
  const CivilDate date = env.NowLocal().date;
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  return text;
}

// Log lines "line 1" ... "line n" as the writer ends them.
std::string Numbered(int from, int to, const std::string& word = "line") {
  std::string text;
  for (int i = from; i <= to; ++i) text += word + " " + std::to_string(i) + "\r\n";
  return text;
}

std::string Expected(int from, int to, const std::string& word = "line") {
  std::string text;
  for (int i = from; i <= to; ++i) text += word + " " + std::to_string(i) + "\n";
  return text;
}

class LogTailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created = Admin(install_ + " create");
    ASSERT_EQ(created.exit_code, 0) << created.output;
    today_ = Today();
  }
  void TearDown() override {
    if (Today() != today_) GTEST_SKIP() << "the day changed during the test";
  }
  void WriteLog(const std::string& name, const std::string& content) const {
    dir_.Write("inst/logs/" + name, content);
  }
  CommandRun Tail(const std::string& arguments) const {
    return Admin(install_ + " log tail " + arguments);
  }

  testing::TempDir dir_;
  std::string install_;
  std::string today_;
};

TEST_F(LogTailTest, LastLinesOfTodaysFile) {
  WriteLog("s" + today_ + ".log", Numbered(1, 30));
  WriteLog("p" + today_ + ".log", Numbered(1, 2, "pop"));
  WriteLog("s20000101.log", Numbered(1, 5, "old"));
  struct Case {
    std::string arguments;
    std::string output;
  };
  const Case cases[] = {
      {"0", Expected(11, 30)}, {"0 -n 3", Expected(28, 30)},  {"0 --lines 1", "line 30\n"},
      {"0 -n 0", ""},          {"0 -n 100", Expected(1, 30)}, {"1", Expected(1, 2, "pop")},
  };
  for (const Case& c : cases) {
    const CommandRun run = Tail(c.arguments);
    EXPECT_EQ(run.exit_code, 0) << c.arguments << ": " << run.output;
    EXPECT_EQ(run.output, c.output) << c.arguments;
  }
}

TEST_F(LogTailTest, FoldersOfKindsAndJson) {
  WriteLog("antivirus/" + today_ + ".log", Numbered(1, 2, "virus"));
  const CommandRun run = Admin(install_ + " --json log tail 4 -n 1");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const nlohmann::json answer = nlohmann::json::parse(run.output);
  EXPECT_EQ(answer["kind"], 4);
  EXPECT_EQ(answer["file"], dir_.path() + "inst/logs/antivirus/" + today_ + ".log");
  EXPECT_EQ(answer["lines"], nlohmann::json::array({"virus 2"}));
}

TEST_F(LogTailTest, RotationShowsTheHighestNumberedFile) {
  ASSERT_EQ(Admin(install_ + " config set 301 100").exit_code, 0);
  WriteLog("s" + today_ + "-00.log", Numbered(1, 2, "zero"));
  WriteLog("s" + today_ + "-02.log", Numbered(1, 2, "two"));
  WriteLog("s" + today_ + "-10.log", Numbered(1, 2, "ten"));
  WriteLog("s" + today_ + "-xx.log", Numbered(1, 2, "junk"));
  WriteLog("s" + today_ + "-99.txt", Numbered(1, 2, "junk"));
  EXPECT_EQ(Tail("0").output, Expected(1, 2, "ten"));

  WriteLog("p" + today_ + ".log", Numbered(1, 2, "plain"));
  EXPECT_EQ(Tail("1").output, Expected(1, 2, "plain")) << "no numbered file yet";
}

TEST_F(LogTailTest, LargeFilesAreReadFromTheEnd) {
  // About 1 MB: the tail crosses several read chunks.
  WriteLog("e" + today_ + ".log", Numbered(1, 60000, "entry with some more text"));
  EXPECT_EQ(Tail("11 -n 5000").output, Expected(55001, 60000, "entry with some more text"));
}

TEST_F(LogTailTest, LastLineWithoutLineEnd) {
  WriteLog("d" + today_ + ".log", Numbered(1, 3) + "partial");
  EXPECT_EQ(Tail("13 -n 2").output, "line 3\npartial\n");
}

TEST_F(LogTailTest, Errors) {
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {"0", "no log file for today"},
      {"16", "KIND"},
      {"-1", ""},
      {"x", "KIND"},
      {"0 -n -2", ""},
      {"", "KIND"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Tail(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments << ": " << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
  }
}

}  // namespace
}  // namespace tarvelin
