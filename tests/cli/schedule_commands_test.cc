// `tarvelin-admin schedule ...`, run as a user would run it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ScheduleCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created = Admin(install_ + " create");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  nlohmann::json Shown(int id) {
    const CommandRun shown = Run("--json schedule show " + std::to_string(id));
    EXPECT_EQ(shown.exit_code, 0) << shown.output;
    return nlohmann::json::parse(shown.output);
  }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(ScheduleCommandsTest, ShowListsEveryItem) {
  const CommandRun shown = Run("schedule show 149");
  ASSERT_EQ(shown.exit_code, 0) << shown.output;
  EXPECT_EQ(shown.output.substr(0, shown.output.find('\n')), "flag 0, 0 items in use");
  EXPECT_NE(shown.output.find("item 6 2=0 3=0 4=0 5=0 6=0 7=0 8=0 9=0 10=0 11=0 12=0 13=0 14=0\n"),
            std::string::npos)
      << shown.output;
  const nlohmann::json json = Shown(431);
  EXPECT_EQ(json["items"].size(), 7u);
  EXPECT_EQ(json["items"][3]["types"]["10"], 0);
}

TEST_F(ScheduleCommandsTest, SetIsSavedIntoTheConfiguration) {
  struct Case {
    int item;
    int type;
    std::string given;
    nlohmann::json shown;
  };
  const Case cases[] = {
      {2, 10, "3600", 3600}, {2, 13, "-- -5", -5}, {6, 14, "123456", 123456},
      {0, 9, "0xff", 255},  {4, 8, "on", 1},      {1, 11, "4000000000", 4000000000u},
  };
  for (const Case& c : cases) {
    const CommandRun set = Run("schedule set 321 " + std::to_string(c.item) + " " +
                               std::to_string(c.type) + " " + c.given);
    ASSERT_EQ(set.exit_code, 0) << set.output;
    EXPECT_EQ(Shown(321)["items"][c.item]["types"][std::to_string(c.type)], c.shown) << c.type;
  }
  ASSERT_EQ(Run("schedule set 321 99 0 1").exit_code, 0) << "the flag ignores the item";
  EXPECT_EQ(Shown(321)["flag"], 1);
  EXPECT_EQ(Shown(149)["flag"], 0) << "other schedules untouched";
}

TEST_F(ScheduleCommandsTest, PackedBlockCopiesOneScheduleToAnother) {
  ASSERT_EQ(Run("schedule set 355 5 10 45296").exit_code, 0);
  ASSERT_EQ(Run("schedule set 355 0 0 1").exit_code, 0);
  const std::string packed = Shown(355)["packed"];
  ASSERT_EQ(Run("schedule set 382 0 15 '" + packed + "'").exit_code, 0);
  const nlohmann::json copied = Shown(382);
  EXPECT_EQ(copied["items"][5]["types"]["10"], 45296);
  EXPECT_EQ(copied["flag"], 1);
  EXPECT_EQ(copied["packed"], packed);
}

TEST_F(ScheduleCommandsTest, ErrorsAreOneLineWithANonZeroExit) {
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {"schedule show 148", "is no schedule"},
      {"schedule set 150 0 8 1", "is no schedule"},
      {"schedule set 149 7 8 1", "schedule item 7 is outside 0 to 6"},
      {"schedule set 149 0 1 1", "schedule setting type 1 is unknown"},
      {"schedule set 149 0 16 1", "schedule setting type 16 is unknown"},
      {"schedule set 149 0 9 0x1ff", "511 does not fit in 1 byte (0 to 255)"},
      {"schedule set 149 0 13 2147483648", "2147483648 is outside -2147483648 to 2147483647"},
      {"schedule set 149 0 13 many", "not a whole number"},
      {"schedule set 149 0 11 -- -1", "not a number"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
}

}  // namespace
}  // namespace tarvelin
