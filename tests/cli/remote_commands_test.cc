// `tarvelin-admin remote ...`, run as a user would run it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class RemoteCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created = Admin(install_ + " create --domain example.org");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  nlohmann::json Setting(int index, int id) {
    const CommandRun shown = Run("--json remote show " + std::to_string(index));
    EXPECT_EQ(shown.exit_code, 0) << shown.output;
    const nlohmann::json parsed = nlohmann::json::parse(shown.output);
    for (const auto& entry : parsed["settings"]) {
      if (entry["id"] == id) return entry["value"];
    }
    return nullptr;
  }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(RemoteCommandsTest, AddListShowAndDelete) {
  EXPECT_EQ(Run("remote list").output, "(no remote accounts)\n");
  const CommandRun added =
      Run("remote add --set RA_Login=carol --set 235=example.org --set imap=1 --set 240=993");
  ASSERT_EQ(added.exit_code, 0) << added.output;
  EXPECT_EQ(added.output, "added remote account 0\n");
  ASSERT_EQ(Run("remote add --set 227=bob").exit_code, 0);
  EXPECT_EQ(Run("remote list").output, "1\tPOP3\tbob\t\n0\tIMAP\tcarol\texample.org\n")
      << "in name order";
  EXPECT_EQ(nlohmann::json::parse(Run("--json remote list").output)[0]["index"], 1);

  const CommandRun shown = Run("remote show 0");
  ASSERT_EQ(shown.exit_code, 0) << shown.output;
  EXPECT_NE(shown.output.find("RA_Number240\t240\tnumber\t993\n"), std::string::npos)
      << shown.output;
  EXPECT_NE(shown.output.find("RA_Schedule\t246\tschedule\t" + std::string(568, '0') + "\n"),
            std::string::npos)
      << shown.output;
  EXPECT_EQ(shown.output.find("\t248\t"), std::string::npos) << "the packed record is not shown";
  const nlohmann::json json = nlohmann::json::parse(Run("--json remote show 0").output);
  EXPECT_EQ(json["settings"][4]["id"], 227);
  EXPECT_EQ(json["settings"][4]["name"], "RA_Login");
  EXPECT_EQ(json["settings"][4]["value"], "carol");

  const CommandRun deleted = Run("remote delete 0");
  ASSERT_EQ(deleted.exit_code, 0) << deleted.output;
  EXPECT_EQ(Run("remote list").output, "0\tPOP3\tbob\t\n");
}

TEST_F(RemoteCommandsTest, SetByKindIsSaved) {
  ASSERT_EQ(Run("remote add").exit_code, 0);
  struct Case {
    int id;
    std::string given;
    nlohmann::json shown;
  };
  const Case cases[] = {
      {224, "'pop.example.net'", "pop.example.net"},
      {230, std::string(60, 'x'), std::string(60, 'x')},
      {228, "on", 1},
      {247, "0xff", 255},
      {241, "65535", 65535},
      {246, "0100" + std::string(564, 'f'), "0100" + std::string(564, 'f')},
      {235, "'caf\xe9'", "caf\xc3\xa9"},
  };
  for (const Case& c : cases) {
    const CommandRun set = Run("remote set 0 " + std::to_string(c.id) + " " + c.given);
    ASSERT_EQ(set.exit_code, 0) << set.output;
    EXPECT_EQ(Setting(0, c.id), c.shown) << c.id;
  }
}

TEST_F(RemoteCommandsTest, ErrorsAreOneLineWithANonZeroExit) {
  ASSERT_EQ(Run("remote add").exit_code, 0);
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {"remote show 1", "no remote account 1"},
      {"remote show -- -1", "no remote account -1"},
      {"remote set 3 224 x", "no remote account 3"},
      {"remote delete 1", "no remote account 1"},
      {"remote set 0 249 x", "remote account setting 249 is unknown"},
      {"remote set 0 240 lots", "not a number"},
      {"remote set 0 228 maybe", "not a flag"},
      {"remote set 0 246 abc", "even number of hex digits"},
      {"remote add --set 224", "not NAME=VALUE: 224"},
      {"remote set 0 RA_Logn x", "no remote-account setting named 'RA_Logn'; did you mean"},
      {"remote add --set 300=x", "remote account setting 300 is unknown"},
      // A value beyond its field is refused, not cut.
      {"remote set 0 230 " + std::string(61, 'x'),
       "a text of 61 characters is longer than 60 characters"},
      {"remote set 0 247 0x1ff", "511 does not fit in 1 byte (0 to 255)"},
      {"remote set 0 241 70000", "70000 does not fit in 2 bytes (0 to 65535)"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
  EXPECT_EQ(Run("remote list").output, "0\tPOP3\t\t\n") << "nothing was added or changed";
}

}  // namespace
}  // namespace tarvelin
