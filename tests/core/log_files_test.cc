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

TEST(LogKindOfTextTest, NumbersAndNamesInAnyCase) {
  const struct {
    std::string text;
    int kind;  // -1: refused
  } cases[] = {
      {"0", 0},       {"15", 15},       {"smtp", 0},         {"SMTP", 0},   {"Pop3", 1},
      {"control", 3}, {"antivirus", 4}, {"IM", 5},           {"ftp", 8},    {"antispam", 9},
      {"sip", 10},    {"error", 11},    {"maintenance", 14}, {"16", -1},    {"-1", -1},
      {"x", -1},      {"", -1},         {"1x", -1},          {"smtp ", -1},
  };
  for (const auto& c : cases) {
    const Result<int> kind = LogKindOfText(c.text);
    if (c.kind < 0) {
      EXPECT_EQ(kind.status(), StatusCode::kInvalidArgument) << c.text;
      EXPECT_EQ(kind.status().message(),
                "no log kind \"" + c.text +
                    "\": a number 0 to 15 or one of smtp, pop3, control, antivirus, im, ftp, "
                    "antispam, sip, error, maintenance");
    } else {
      ASSERT_TRUE(kind.ok()) << c.text;
      EXPECT_EQ(*kind, c.kind) << c.text;
    }
  }
  EXPECT_EQ(LogKindName(0), "smtp");
  EXPECT_EQ(LogKindName(2), "") << "known by its number only";
}

class LogFollowerTest : public LogFilesTest {
 protected:
  static constexpr CivilDate kMonday{2026, 3, 2};
  static constexpr CivilDate kTuesday{2026, 3, 3};

  std::string FileOf(const CivilDate& date, int counter = -1) const {
    return LogFileName(LogFileStem(context_.log_settings(), 0), date, counter);
  }
  void Append(const std::string& file, const std::string& text) const {
    dir_.Write(file.substr(dir_.path().size()), ReadOr(file) + text);
  }
  std::string ReadOr(const std::string& file) const {
    const std::string relative = file.substr(dir_.path().size());
    return dir_.Exists(relative) ? dir_.Read(relative) : "";
  }
  // The lines read, each after the name of its file when that changes.
  std::vector<std::string> Read(LogFollower& follower, const CivilDate& today) const {
    const Result<std::vector<LogTail>> read = follower.Read(today);
    EXPECT_TRUE(read.ok()) << read.status().ToString();
    std::vector<std::string> lines;
    if (!read.ok()) return lines;
    for (const LogTail& part : *read) {
      if (part.file != follower.file()) lines.push_back("[" + part.file + "]");
      lines.insert(lines.end(), part.lines.begin(), part.lines.end());
    }
    return lines;
  }
  using Lines = std::vector<std::string>;
};

TEST_F(LogFollowerTest, GivesWholeLinesAsTheyComeAndMovesOnToTheNextDay) {
  const std::string monday = FileOf(kMonday);
  Append(monday, "one\r\ntwo\r\nthree\r\nhalf");
  Lines last;
  Result<LogFollower> follower = LogFollower::Start(context_, 0, 2, kMonday, &last);
  ASSERT_TRUE(follower.ok()) << follower.status().ToString();
  EXPECT_EQ(last, (Lines{"two", "three"})) << "a line still being written waits";
  EXPECT_EQ(follower->file(), monday);

  EXPECT_EQ(Read(*follower, kMonday), Lines{});
  Append(monday, " done\r\nfour\r\n");
  EXPECT_EQ(Read(*follower, kMonday), (Lines{"half done", "four"}));

  Append(monday, "late");
  EXPECT_EQ(Read(*follower, kTuesday), Lines{}) << "Tuesday's file is not there yet";
  EXPECT_EQ(follower->file(), monday);
  Append(FileOf(kTuesday), "tue 1\r\n");
  EXPECT_EQ(Read(*follower, kTuesday), (Lines{"[" + monday + "]", "late", "tue 1"}))
      << "the rest of Monday's file first, then Tuesday's from its start";
  EXPECT_EQ(follower->file(), FileOf(kTuesday));
  Append(FileOf(kTuesday), "tue 2\r\n");
  Append(monday, "never read\r\n");
  EXPECT_EQ(Read(*follower, kTuesday), Lines{"tue 2"});
}

TEST_F(LogFollowerTest, WaitsForAMissingFileAndRereadsAShrunkenOne) {
  Lines last{"stale"};
  Result<LogFollower> follower = LogFollower::Start(context_, 0, 5, kMonday, &last);
  ASSERT_TRUE(follower.ok()) << follower.status().ToString();
  EXPECT_EQ(last, Lines{});
  EXPECT_EQ(Read(*follower, kMonday), Lines{});
  Append(FileOf(kMonday), "first\r\nsecond\r\n");
  EXPECT_EQ(Read(*follower, kMonday), (Lines{"first", "second"}));
  dir_.Write(FileOf(kMonday).substr(dir_.path().size()), "new\r\n");
  EXPECT_EQ(Read(*follower, kMonday), Lines{"new"});
}

TEST_F(LogFollowerTest, FollowsRotationToTheNextNumber) {
  context_.config.record.SetNumber(log_offsets::kRotationSize, 4, 100);
  Append(FileOf(kMonday, 0), "zero\r\n");
  Lines last;
  Result<LogFollower> follower = LogFollower::Start(context_, 0, 5, kMonday, &last);
  ASSERT_TRUE(follower.ok()) << follower.status().ToString();
  EXPECT_EQ(last, Lines{"zero"});
  Append(FileOf(kMonday, 0), "zero 2\r\n");
  Append(FileOf(kMonday, 1), "one\r\n");
  EXPECT_EQ(Read(*follower, kMonday), (Lines{"[" + FileOf(kMonday, 0) + "]", "zero 2", "one"}));
  EXPECT_EQ(follower->file(), FileOf(kMonday, 1));
}

}  // namespace
}  // namespace tarvelin
