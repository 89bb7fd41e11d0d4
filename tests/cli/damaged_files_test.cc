// Damaged files of an installation as the commands meet them: warnings on
// load, and refusals to save over a damaged settings.cfg or domains.cfg.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

class DamagedFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst_ = dir_.path() + "inst/";
    ASSERT_EQ(Run("create --domain example.org").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) {
    return Admin("--install-dir " + inst_ + " " + arguments);
  }
  // What the command printed on standard error only.
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " --install-dir " + inst_ + " " + arguments +
                 " 2>&1 >/dev/null)");
  }
  void Cut(const std::string& file, uintmax_t size) {
    std::filesystem::resize_file(inst_ + "config/" + file, size);
  }
  uintmax_t SizeOf(const std::string& file) {
    return std::filesystem::file_size(inst_ + "config/" + file);
  }

  testing::TempDir dir_;
  std::string inst_;
};

TEST_F(DamagedFilesTest, CommandsWarnOfDamageTheLoadReadsPast) {
  const std::string users = testing::FileOf({testing::MakeUser("john", "john", "pw")});
  const struct {
    std::string what;
    std::function<void()> damage;
    std::string warning;
  } cases[] = {
      // The fault: a cut settings.cfg read as defaults without a word.
      {"settings.cfg cut", [&] { Cut("settings.cfg", 1000); },
       "warning: " + inst_ + "config/settings.cfg: holds 1000 bytes, not 28084 bytes: the "
       "settings past byte 1000 read as their built-in values\n"},
      {"domains.cfg cut", [&] { Cut("domains.cfg", 10); },
       "warning: " + inst_ + "config/domains.cfg: holds 10 bytes, but the list of 1 domain takes "
       "96 bytes: the entries past byte 10 read as blank domains\n"},
      {"users.cfg torn",
       [&] { dir_.Write("inst/config/example.org/users.cfg", users + "torn"); },
       "warning: " + inst_ + "config/example.org/users.cfg: holds 2852 bytes, no whole number "
       "of 2848 bytes account records: a torn record of 4 bytes at its end is not read\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(inst_);
    SetUp();
    c.damage();
    EXPECT_EQ(ErrorsOf("domain list").output, c.warning) << c.what;
    EXPECT_EQ(Run("domain list").exit_code, 0) << c.what << ": the command goes on";
    const CommandRun json = ErrorsOf("--json domain list");
    EXPECT_EQ(nlohmann::json::parse(json.output)["warning"],
              c.warning.substr(9, c.warning.size() - 10))
        << c.what;
  }
}

TEST_F(DamagedFilesTest, NineBlankDomainsAreNamed) {
  for (int i = 1; i < 9; ++i) {
    ASSERT_EQ(Run("domain add d" + std::to_string(i) + ".example").exit_code, 0);
  }
  Cut("domains.cfg", 10);
  EXPECT_EQ(ErrorsOf("domain list").output,
            "warning: " + inst_ + "config/domains.cfg: holds 10 bytes, but the list of 9 domains "
            "takes 864 bytes: the entries past byte 10 read as blank domains\n"
            "warning: " + inst_ + "config/domains.cfg: the list holds 8 domains without a name, "
            "at positions 1-8\n");
}

TEST_F(DamagedFilesTest, NoSaveOverADamagedSettingsFile) {
  const struct {
    std::string file;
    uintmax_t size;
  } damage[] = {{"settings.cfg", 1000}, {"domains.cfg", 96 + 10}};  // the name stays
  const struct {
    std::string arguments;
    int exit_code;
  } commands[] = {
      {"config set 27 2525", 5},
      {"schedule set 321 0 0 1", 5},
      {"domain add new.example", 5},
      {"domain rename example.org other.example", 5},
      {"domain delete example.org", 5},
      {"domain ip example.org 192.0.2.1", 5},
      // Commands that do not save settings.cfg go on.
      {"domain ip example.org", 0},
      {"domain list", 0},
      {"config get 27", 0},
  };
  for (const auto& d : damage) {
    for (const auto& c : commands) {
      std::filesystem::remove_all(inst_);
      SetUp();
      Cut(d.file, d.size);
      const CommandRun run = Run(c.arguments);
      EXPECT_EQ(run.exit_code, c.exit_code) << d.file << ": " << c.arguments << "\n" << run.output;
      EXPECT_EQ(SizeOf(d.file), d.size) << d.file << ": " << c.arguments;
      if (c.exit_code == 5) {
        EXPECT_NE(run.output.find("tarvelin-admin: not saving over the damaged " + inst_ +
                                  "config/" + d.file + ": it would lose for good what is left "
                                  "of it; restore it from a backup"),
                  std::string::npos)
            << run.output;
      }
    }
  }
}

}  // namespace
}  // namespace tarvelin
