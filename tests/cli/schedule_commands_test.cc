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
  EXPECT_EQ(shown.output.substr(0, shown.output.find('\n')),
            "C_Schedule149 (149): SC_Enabled (0) = 0, 0 items in use");
  EXPECT_NE(shown.output.find("\nitem 6: SC_ItemFlag2 (2) = 0, SC_ItemFlag3 (3) = 0, "),
            std::string::npos)
      << shown.output;
  EXPECT_NE(shown.output.find(", SC_ItemTime (10) = 0, "), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find(", SC_ItemValue14 (14) = 0\n"), std::string::npos) << shown.output;
  const nlohmann::json json = Shown(431);
  EXPECT_EQ(json["name"], "C_Schedule431");
  EXPECT_EQ(json["items"].size(), 7u);
  EXPECT_EQ(json["items"][3]["types"]["10"], 0);
  EXPECT_EQ(json["type_names"]["10"], "SC_ItemTime");
}

TEST_F(ScheduleCommandsTest, SchedulesAndTypesByName) {
  const CommandRun set = Run("schedule set C_Schedule321 2 SC_ItemTime 3600");
  ASSERT_EQ(set.exit_code, 0) << set.output;
  EXPECT_EQ(set.output, "SC_ItemTime (10) = 3600\n");
  ASSERT_EQ(Run("schedule set schedule321 0 enabled on").exit_code, 0);
  const CommandRun shown = Run("--json schedule show c_schedule321");
  ASSERT_EQ(shown.exit_code, 0) << shown.output;
  const nlohmann::json json = nlohmann::json::parse(shown.output);
  EXPECT_EQ(json["id"], 321);
  EXPECT_EQ(json["flag"], 1);
  EXPECT_EQ(json["items"][2]["types"]["10"], 3600);
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
      {"schedule set 149 0 11 -- -1", "-1 does not fit in 4 bytes (0 to 4294967295)"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
}

TEST_F(ScheduleCommandsTest, NotFoundAndRefusedHaveTheirExitCodes) {
  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } cases[] = {
      {"schedule show 148", 3, "is no schedule"},
      {"schedule show C_Schedul149", 3, "did you mean 'C_Schedule149'?"},
      {"schedule set 149 0 SC_ItemTim 5", 3, "did you mean 'SC_ItemTime'?"},
      // A time of day counts seconds since midnight.
      {"schedule set 149 0 10 999999", 4,
       "a time of day of 999999 seconds is outside 0 to 86399 (00:00:00 to 23:59:59)"},
      {"schedule set 149 0 SC_ItemTime 86400", 4, "86400 seconds is outside 0 to 86399"},
      {"schedule set 149 0 10 -- -1", 4, "-1 seconds is outside 0 to 86399"},
      {"schedule set 149 0 8 2", 4, "not a flag"},
      {"schedule set 149 0 8 255", 4, "not a flag"},
      {"schedule set 149 7 8 1", 3, "schedule item 7 is outside 0 to 6"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
}

}  // namespace
}  // namespace tarvelin
