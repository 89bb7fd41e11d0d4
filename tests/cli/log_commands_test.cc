// tarvelin-admin log tail, run as a user would run it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

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
      {"0", Expected(11, 30)},      {"0 -n 3", Expected(28, 30)},
      {"0 --lines 1", "line 30\n"}, {"0 -n 100", Expected(1, 30)},
      {"1", Expected(1, 2, "pop")}, {"smtp -n 3", Expected(28, 30)},
      {"SMTP -n 1", "line 30\n"},   {"Pop3", Expected(1, 2, "pop")},
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

TEST_F(LogTailTest, JsonTakesLinesThatAreNoUtf8AsLatin1) {
  WriteLog("s" + today_ + ".log", "caf\xE9 single-byte\r\ncaf\xC3\xA9 UTF-8\r\n");
  const CommandRun run = Admin(install_ + " --json log tail smtp");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(nlohmann::json::parse(run.output)["lines"],
            nlohmann::json::array({"caf\xC3\xA9 single-byte", "caf\xC3\xA9 UTF-8"}));
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
  const std::string kinds =
      "a number 0 to 15 or one of smtp, pop3, control, antivirus, im, ftp, antispam, sip, error, "
      "maintenance";
  struct Case {
    std::string arguments;
    int exit_code;
    std::string message;
  };
  const Case cases[] = {
      {"0", 3, "no log file for today"},
      {"maintenance", 3, "no log file for today"},
      {"16", 2, "no log kind \"16\": " + kinds},
      {"-1", 2, ""},
      {"x", 2, "no log kind \"x\": " + kinds},
      {"0 -n -2", 2, ""},
      {"0 -n 0", 2, "-n takes 1 or more lines, not 0"},
      {"0 -n x", 2, "x"},
      {"", 2, "KIND"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Tail(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << ": " << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
  }
}

// `log tail -f` as a child of the test, its output going to a file.
class LogFollowTest : public LogTailTest {
 protected:
  void TearDown() override {
    if (child_ > 0) {
      ::kill(child_, SIGTERM);
      ::waitpid(child_, nullptr, 0);
    }
    LogTailTest::TearDown();
  }
  void Follow(const std::string& arguments) {
    const std::string command = "exec " + AdminProgram() + " " + install_ + " " + arguments + " >" +
                                dir_.path() + "out.txt 2>&1";
    child_ = ::fork();
    if (child_ == 0) {
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  // The output once it is `want`, or as it is after a few seconds.
  std::string OutputOnce(const std::string& want) const {
    std::string output;
    for (int i = 0; i < 100; ++i) {
      output = dir_.Exists("out.txt") ? dir_.Read("out.txt") : "";
      if (output == want) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return output;
  }
  void Append(const std::string& name, const std::string& text) const {
    WriteLog(name, (dir_.Exists("inst/logs/" + name) ? dir_.Read("inst/logs/" + name) : "") + text);
  }

  pid_t child_ = -1;
};

TEST_F(LogFollowTest, PrintsLinesAsTheyAreWritten) {
  const std::string file = "s" + today_ + ".log";
  WriteLog(file, Numbered(1, 5));
  Follow("log tail -f smtp -n 2");
  EXPECT_EQ(OutputOnce(Expected(4, 5)), Expected(4, 5));
  Append(file, Numbered(6, 7) + "half");
  EXPECT_EQ(OutputOnce(Expected(4, 7)), Expected(4, 7)) << "a line being written waits";
  Append(file, " done\r\n");
  EXPECT_EQ(OutputOnce(Expected(4, 7) + "half done\n"), Expected(4, 7) + "half done\n");
}

TEST_F(LogFollowTest, WaitsForTodaysFileAndMovesOnToTheNextRotatedOne) {
  ASSERT_EQ(Admin(install_ + " config set 301 100").exit_code, 0);
  Follow("--json log tail POP3 --follow");
  const std::string waiting =
      nlohmann::json{{"warning", "no log file for today yet: " + dir_.path() + "inst/logs/p" +
                                     today_ + ".log; waiting for it"}}
          .dump() +
      "\n";
  EXPECT_EQ(OutputOnce(waiting), waiting);
  const auto line = [this](int counter, const std::string& text) {
    return nlohmann::json{{"kind", 1},
                          {"name", "pop3"},
                          {"file", dir_.path() + "inst/logs/p" + today_ + "-0" +
                                       std::to_string(counter) + ".log"},
                          {"line", text}}
               .dump() +
           "\n";
  };
  Append("p" + today_ + "-00.log", "first\r\n");
  EXPECT_EQ(OutputOnce(waiting + line(0, "first")), waiting + line(0, "first"));
  Append("p" + today_ + "-00.log", "last of 00\r\n");
  Append("p" + today_ + "-01.log", "first of 01\r\n");
  const std::string all =
      waiting + line(0, "first") + line(0, "last of 00") + line(1, "first of 01");
  EXPECT_EQ(OutputOnce(all), all);
}

}  // namespace
}  // namespace tarvelin
