// `tarvelin-admin domain ...`, run as a user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class DomainCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created = Admin(install_ + " create --domain example.org");
    ASSERT_EQ(created.exit_code, 0) << created.output;
    const CommandRun added = Run("domain add example.net");
    ASSERT_EQ(added.exit_code, 0) << added.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  nlohmann::json Setting(const std::string& domain, int id) {
    const CommandRun shown = Run("--json domain show " + domain);
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

TEST_F(DomainCommandsTest, AddShowsUpInListAndShow) {
  const CommandRun added = Run("domain add Shop.Example");
  ASSERT_EQ(added.exit_code, 0) << added.output;
  EXPECT_EQ(added.output, "added shop.example at 2\n");
  EXPECT_EQ(Run("domain list").output, "1\texample.net\n0\texample.org\n2\tshop.example\n");
  const CommandRun shown = Run("domain show shop.example");
  ASSERT_EQ(shown.exit_code, 0) << shown.output;
  EXPECT_NE(shown.output.find("D_DomainDiskQuota\t11\tnumber\t0\n"), std::string::npos)
      << shown.output;
  EXPECT_NE(shown.output.find("D_DomainSIP\t34\tflag\t0\n"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("D_Text35\t35\ttext\t\n"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("D_DomainExpiryDate\t22\tdate\tnever\n"), std::string::npos)
      << shown.output;
}

TEST_F(DomainCommandsTest, SetTakesEveryNameShowPrints) {
  const nlohmann::json shown =
      nlohmann::json::parse(Run("--json domain show example.net").output)["settings"];
  ASSERT_FALSE(shown.empty());
  for (const auto& entry : shown) {
    const std::string name = entry["name"];
    ASSERT_FALSE(name.empty()) << entry.dump();
    // The value as shown; a date never set is day 0.
    const std::string value = entry["value"].is_null()  ? "0"
                              : entry["value"].is_string() ? entry["value"].get<std::string>()
                                                           : entry["value"].dump();
    const CommandRun set = Run("domain set example.net " + name + " '" + value + "'");
    EXPECT_EQ(set.exit_code, 0) << name << ": " << set.output;
    EXPECT_EQ(Setting("example.net", entry["id"]), entry["value"]) << name;
  }
  const CommandRun set = Run("domain set example.net DomainDiskQuota 300");
  EXPECT_EQ(set.output, "D_DomainDiskQuota (11) = 300\n");
  const nlohmann::json json =
      nlohmann::json::parse(Run("--json domain set example.net d_domaindiskquota 400").output);
  EXPECT_EQ(json["id"], 11);
  EXPECT_EQ(json["name"], "D_DomainDiskQuota");
  EXPECT_EQ(Run("domain set example.net D_DiskQuota 1").exit_code, 3);
}

TEST_F(DomainCommandsTest, ADateNeverSetShowsAsNever) {
  EXPECT_EQ(Setting("example.net", 22), nullptr);
  EXPECT_EQ(Run("domain set example.net D_DomainExpiryDate 2031-01-02").output,
            "D_DomainExpiryDate (22) = 2031-01-02 00:00:00\n");
  EXPECT_EQ(Run("domain set example.net D_DomainExpiryDate 0").output,
            "D_DomainExpiryDate (22) = never\n");
  EXPECT_EQ(Setting("example.net", 22), nullptr);
}

TEST_F(DomainCommandsTest, AddTakesDefaultsWhenTheConfigurationAsks) {
  ASSERT_EQ(Run("config set 77 1").exit_code, 0);
  {
    FILE* file = fopen((dir_.path() + "inst/config/default.ini").c_str(), "w");
    ASSERT_NE(file, nullptr);
    fputs("DomainDiskQuota=500\nDomainAV=1\n", file);
    fclose(file);
  }
  ASSERT_EQ(Run("domain add with-defaults.example").exit_code, 0);
  EXPECT_EQ(Setting("with-defaults.example", 11), 500);
  EXPECT_EQ(Setting("with-defaults.example", 10), 1);
}

TEST_F(DomainCommandsTest, SetByKindIsSaved) {
  struct Case {
    int id;
    std::string given;
    nlohmann::json shown;
  };
  const Case cases[] = {
      {11, "2048", 2048},
      {9, "0x10", 16},
      {16, "true", 1},
      {34, "on", 1},
      {3, "'other.example'", "other.example"},
      {22, "'2031-12-24 18:30:00'", "2031-12-24 18:30:00"},
      {22, "2030-01-02", "2030-01-02 00:00:00"},
  };
  for (const Case& c : cases) {
    const CommandRun set = Run("domain set example.net " + std::to_string(c.id) + " " + c.given);
    ASSERT_EQ(set.exit_code, 0) << set.output;
    EXPECT_EQ(Setting("example.net", c.id), c.shown) << c.id;
  }
  EXPECT_EQ(Setting("example.net", 10), 0) << "the neighbouring bit is untouched";
}

TEST_F(DomainCommandsTest, IpShowsSetsAndClearsTheBinding) {
  EXPECT_EQ(Run("domain ip example.org").output, "(not bound)\n");
  ASSERT_EQ(Run("domain ip example.org '192.0.2.1;192.0.2.2'").exit_code, 0);
  EXPECT_EQ(Run("domain ip Example.Org").output, "192.0.2.1;192.0.2.2\n");
  const nlohmann::json json = nlohmann::json::parse(Run("--json domain ip example.org").output);
  EXPECT_EQ(json["addresses"], "192.0.2.1;192.0.2.2");
  ASSERT_EQ(Run("domain ip example.org ''").exit_code, 0);
  EXPECT_EQ(Run("domain ip example.org").output, "(not bound)\n");
}

TEST_F(DomainCommandsTest, ErrorsAreOneLineWithANonZeroExit) {
  // A listed domain whose record is gone.
  ASSERT_EQ(std::remove((dir_.path() + "inst/config/example.org/domain.cfg").c_str()), 0);
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {"domain show missing.example", "no domain \"missing.example\""},
      {"domain add EXAMPLE.ORG", "cannot add domain EXAMPLE.ORG"},
      {"domain add bad_name", "cannot add domain bad_name: \"bad_name\" has '_'"},
      {"domain set example.net 2 x", "domain setting 2 is unknown"},
      {"domain set example.net 11 lots", "not a number"},
      {"domain set example.net 16 maybe", "not a flag"},
      {"domain set example.net 22 tomorrow", "not a date"},
      {"domain set example.net 22 2030-02-30", "not a date"},
      {"domain ip missing.example 192.0.2.1", "no domain \"missing.example\""},
      {"domain show example.org", "the domain example.org has no readable record"},
      {"domain set example.org 11 5", "the domain example.org has no readable record"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_NE(run.exit_code, 0) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
  }
}

TEST_F(DomainCommandsTest, RenameMovesTheDomainWithItsAccountsAndBinding) {
  ASSERT_EQ(Run("account add john@example.net").exit_code, 0);
  ASSERT_EQ(Run("domain ip example.net 192.0.2.7").exit_code, 0);
  const CommandRun renamed = Run("domain rename Example.Net Shop.Example");
  ASSERT_EQ(renamed.exit_code, 0) << renamed.output;
  EXPECT_EQ(renamed.output, "renamed example.net to shop.example\n");
  EXPECT_EQ(Run("domain list").output, "0\texample.org\n1\tshop.example\n");
  EXPECT_TRUE(dir_.Exists("inst/config/shop.example/users.cfg"));
  EXPECT_FALSE(dir_.Exists("inst/config/example.net/users.cfg"));
  EXPECT_EQ(Run("account list shop.example").output, "0\tuser\tjohn\n");
  EXPECT_EQ(Run("domain ip shop.example").output, "192.0.2.7\n");

  const nlohmann::json json =
      nlohmann::json::parse(Run("--json domain rename shop.example shop.example").output);
  EXPECT_EQ(json["index"], 1) << "a domain may keep its name";
  EXPECT_EQ(json["renamed"], true);
}

TEST_F(DomainCommandsTest, DeleteRemovesTheDomainAndItsFolder) {
  ASSERT_EQ(Run("account add john@example.net").exit_code, 0);
  const CommandRun deleted = Run("--json domain delete EXAMPLE.net");
  ASSERT_EQ(deleted.exit_code, 0) << deleted.output;
  const nlohmann::json json = nlohmann::json::parse(deleted.output);
  EXPECT_EQ(json["index"], 1);
  EXPECT_EQ(json["name"], "example.net");
  EXPECT_EQ(json["deleted"], true);
  EXPECT_EQ(Run("domain list").output, "0\texample.org\n");
  EXPECT_FALSE(dir_.Exists("inst/config/example.net/users.cfg"));
  EXPECT_EQ(Run("domain delete example.net").output, "tarvelin-admin: no domain \"example.net\"\n");
}

TEST_F(DomainCommandsTest, RenameRefusalsSayWhy) {
  const struct {
    int exit_code;
    std::string arguments;
    std::string message;
  } cases[] = {
      {3, "domain rename missing.example new.example",
       "cannot rename domain missing.example to new.example: no domain \"missing.example\""},
      {4, "domain rename example.net EXAMPLE.org",
       "cannot rename domain example.net to EXAMPLE.org: the domain \"example.org\" exists "
       "already"},
      {4, "domain rename example.net bad_name",
       "cannot rename domain example.net to bad_name: \"bad_name\" has '_': a label holds only "
       "letters, digits and hyphens"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, "tarvelin-admin: " + c.message + "\n") << c.arguments;
  }
  EXPECT_EQ(Run("domain list").output, "1\texample.net\n0\texample.org\n") << "nothing moved";
}

}  // namespace
}  // namespace tarvelin
