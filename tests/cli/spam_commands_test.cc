// `spam get`, `spam set` and `spam index` against a fresh installation.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class SpamCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = " --install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Run("create --domain example.org --domain other.org").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) { return Admin(arguments + install_); }
  // What the command printed on standard error only.
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " " + arguments + install_ + " 2>&1 >/dev/null)");
  }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(SpamCommandsTest, GetShowsTheSettingsInTheirWrittenForm) {
  dir_.Write("inst/spam/spam.dat", "SpamPercentage=2550\r\nAddSubjectString=\r\n");
  const struct {
    std::string arguments;
    int exit_code;
    std::string output;  // a part of it
  } cases[] = {
      {"spam get SpamPercentage", 0, "2550\n"},
      {"spam get addsubjectstring", 0, "[Spam]\n"},
      {"spam get", 0, "SpamBayesian=0\nSpamBayesianNoTag=0\n"},
      {"spam get NoSuch", 3, "no antispam setting is called \"NoSuch\""},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.output), std::string::npos) << c.arguments << "\n" << run.output;
  }
  const nlohmann::json one = nlohmann::json::parse(Run("spam get spamupdatetime --json").output);
  EXPECT_EQ(one, (nlohmann::json{{"name", "SpamUpdateTime"}, {"type", "time"}, {"value", "0:00"}}));
  EXPECT_EQ(nlohmann::json::parse(Run("spam get --json").output).size(), 102u);
}

TEST_F(SpamCommandsTest, SetChecksTheValueAndSavesTheWholeFile) {
  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } refused[] = {
      {"spam set SpamBayesian 2", 2, "SpamBayesian is a flag: 0 or 1, not \"2\""},
      {"spam set SpamMaxThreads many", 2, "SpamMaxThreads takes a whole number"},
      {"spam set SAScoreValue high", 2, "takes a decimal number"},
      {"spam set SpamUpdateTime 25:00", 2, "takes a time of day as h:mm"},
      {"spam set AddSubjectString ''", 2, "AddSubjectString cannot be emptied"},
      {"spam set NoSuch 1", 3, "no antispam setting is called \"NoSuch\""},
      {"spam set SpamBayesian", 2, "VALUE is required"},
  };
  for (const auto& c : refused) {
    const CommandRun run = ErrorsOf(c.arguments);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
    EXPECT_EQ(Run(c.arguments).exit_code, c.exit_code) << c.arguments;
  }
  EXPECT_FALSE(dir_.Exists("inst/spam/spam.dat")) << "nothing written on a refusal";

  const CommandRun set = Run("spam set spammaxthreads 8");
  ASSERT_EQ(set.exit_code, 0) << set.output;
  EXPECT_EQ(set.output, "SpamMaxThreads=8\n");
  ASSERT_EQ(Run("spam set SAScoreValue 2,5").exit_code, 0);
  const std::string file = dir_.Read("inst/spam/spam.dat");
  EXPECT_TRUE(file.starts_with("SpamBayesian=0\r\n")) << file;
  EXPECT_NE(file.find("\r\nSpamMaxThreads=8\r\n"), std::string::npos) << "the first change stays";
  EXPECT_NE(file.find("\r\nSAScoreValue=2.50\r\n"), std::string::npos);
  EXPECT_EQ(Run("spam get SpamMaxThreads").output, "8\n");
}

TEST_F(SpamCommandsTest, IndexMarksAndQueuesTheSortedMessages) {
  ASSERT_EQ(Run("account add john@example.org --set 63=1").exit_code, 0);
  ASSERT_EQ(Run("account add anna@other.org --set 63=1").exit_code, 0);
  ASSERT_EQ(Run("account add quiet@example.org").exit_code, 0);
  for (const char* box : {"example.org/john/", "other.org/anna/", "example.org/quiet/"}) {
    dir_.Write("inst/mail/" + std::string(box) + "a.tmp", "Subject: a\r\n\r\nhi\r\n");
    dir_.Write("inst/mail/" + std::string(box) + "~spam/b.tmp", "Subject: b\r\n\r\nbuy\r\n");
  }

  const CommandRun one = Run("spam index john@example.org --json");
  ASSERT_EQ(one.exit_code, 0) << one.output;
  const nlohmann::json tally = nlohmann::json::parse(one.output);
  EXPECT_EQ(tally["accounts"], 1);
  EXPECT_EQ(tally["classified"], 2);
  EXPECT_EQ(tally["request_sent"], false) << "no SMTP service runs";
  EXPECT_EQ(dir_.Read("inst/spam/index/spam/b.tmp"),
            "Subject: b\r\nX-AntiSpam-Status: 1\r\n\r\nbuy\r\n");

  const CommandRun all = Run("spam index --json");
  ASSERT_EQ(all.exit_code, 0) << all.output;
  EXPECT_EQ(nlohmann::json::parse(all.output)["classified"], 2) << "only anna's are new";
  EXPECT_EQ(dir_.Read("inst/mail/example.org/quiet/a.tmp"), "Subject: a\r\n\r\nhi\r\n");

  const struct {
    std::string arguments;
    int exit_code;
    std::string message;
  } failures[] = {
      {"spam index quiet@example.org", 3, "not set for antispam indexing"},
      {"spam index nobody@example.org", 3, "no account \"nobody\""},
      {"spam index --domain nowhere.test", 3, "nowhere.test"},
      {"spam index john@example.org --domain example.org", 2, "not both"},
  };
  for (const auto& c : failures) {
    const CommandRun run = ErrorsOf(c.arguments);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
    EXPECT_EQ(Run(c.arguments).exit_code, c.exit_code) << c.arguments;
  }
  const CommandRun domain = Run("spam index --domain OTHER.org");
  EXPECT_EQ(domain.exit_code, 0) << domain.output;
  EXPECT_NE(domain.output.find("indexed 1 accounts: 0 of 2 messages"), std::string::npos)
      << domain.output;
}

}  // namespace
}  // namespace tarvelin
