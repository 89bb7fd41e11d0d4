// tarvelin-admin account list, find, show and set, run as a user would run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "support/users_file_builder.h"
#include "support/cli_runner.h"
#include "support/property_file.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;

class AccountCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created =
        Admin(install_ + " create --domain example.org --domain example.net");
    ASSERT_EQ(created.exit_code, 0) << created.output;
    dir_.Write("inst/config/example.org/users.cfg",
               FileOf({MakeRecord("john;J.Smith", "secret"), MakeRecord("news", "", 1)}));
  }
  testing::TempDir dir_;
  std::string install_;
};

TEST_F(AccountCommandsTest, ListShowsTheAccountsInFileOrder) {
  const CommandRun human = Admin(install_ + " account list Example.org");
  EXPECT_EQ(human.exit_code, 0);
  EXPECT_EQ(human.output, "0\tuser\tjohn;J.Smith\n1\tlist\tnews\n");
  const nlohmann::json json =
      nlohmann::json::parse(Admin(install_ + " --json account list example.org").output);
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[1]["position"], 1);
  EXPECT_EQ(json[1]["type"], 1);
  EXPECT_EQ(json[1]["aliases"], "news");
  EXPECT_EQ(Admin(install_ + " account list example.net").output, "(no accounts in example.net)\n");
}

TEST_F(AccountCommandsTest, ListWithAQuery) {
  dir_.Write("inst/apiconst.pas", testing::ShippedPropertyFile());
  const CommandRun users = Admin(install_ + " account list example.org --query 'U_Type = 0'");
  EXPECT_EQ(users.exit_code, 0) << users.output;
  EXPECT_EQ(users.output, "0\tuser\tjohn;J.Smith\n");
  EXPECT_EQ(Admin(install_ + " account list example.org --query \"u_alias like 'n%'\"").output,
            "1\tlist\tnews\n");
  const nlohmann::json json = nlohmann::json::parse(
      Admin(install_ + " --json account list example.org --query 'U_Type=1'").output);
  ASSERT_EQ(json.size(), 1u);
  EXPECT_EQ(json[0]["position"], 1);
  EXPECT_EQ(Admin(install_ + " account list example.org --query 'U_Type = 5'").output,
            "(no accounts in example.org match the query)\n");
  EXPECT_EQ(Admin(install_ + " account list example.org --query ''").output,
            "0\tuser\tjohn;J.Smith\n1\tlist\tnews\n");
}

TEST_F(AccountCommandsTest, AQueryNeedsThePropertyNames) {
  ASSERT_EQ(std::remove((dir_.path() + "inst/api/delphi/apiconst.pas").c_str()), 0);
  const CommandRun run = Admin(install_ + " account list example.org --query 'U_Type = 0'");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.output,
            "tarvelin-admin: no property names for the query: apiconst.pas is missing "
            "from " +
                dir_.path() + "inst/\n");
}

TEST_F(AccountCommandsTest, FindTellsWhereTheAddressLeads) {
  const CommandRun human = Admin(install_ + " account find 'John Smith <J.SMITH@example.org>'");
  EXPECT_EQ(human.exit_code, 0);
  EXPECT_EQ(human.output, "example.org\t0\tuser\tjohn;J.Smith\n");
  const nlohmann::json json =
      nlohmann::json::parse(Admin(install_ + " --json account find news").output);
  EXPECT_EQ(json["domain"], "example.org") << "a bare local part is at the primary domain";
  EXPECT_EQ(json["position"], 1);
}

TEST_F(AccountCommandsTest, FailuresAreOneLineWithANonZeroExit) {
  const struct {
    int exit_code;
    std::string arguments;
    std::string message;
  } cases[] = {
      {3, "account list unknown.org", "tarvelin-admin: no domain \"unknown.org\"\n"},
      {3, "account find nobody@example.org", "tarvelin-admin: no account for nobody@example.org\n"},
      {3, "account find john@unknown.org", "tarvelin-admin: no account for john@unknown.org\n"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(install_ + " " + c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, c.message) << c.arguments;
  }
}

// The value of one setting in the JSON of account show, or null.
nlohmann::json ShownValue(const nlohmann::json& shown, int id) {
  for (const auto& setting : shown["settings"]) {
    if (setting["id"] == id) return setting["value"];
  }
  return nullptr;
}

TEST_F(AccountCommandsTest, ShowListsTheSettingsOfTheAccountsType) {
  const CommandRun run = Admin(install_ + " --json account show john@example.org");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const nlohmann::json user = nlohmann::json::parse(run.output);
  EXPECT_EQ(user["domain"], "example.org");
  EXPECT_EQ(user["position"], 0);
  EXPECT_EQ(ShownValue(user, 33), "secret");
  EXPECT_EQ(ShownValue(user, 3), "john;J.Smith");
  EXPECT_EQ(ShownValue(user, 85), "");
  EXPECT_EQ(ShownValue(user, 70), 1) << "POP3 and IMAP allowed";
  EXPECT_TRUE(ShownValue(user, 6).is_string()) << "the whole record, packed";
  EXPECT_TRUE(ShownValue(user, 80).is_null()) << "an executable account's id";
  EXPECT_TRUE(ShownValue(user, 7).is_null()) << "no such id";

  const nlohmann::json list =
      nlohmann::json::parse(Admin(install_ + " --json account show news@example.org").output);
  EXPECT_EQ(list["kind"], "list");
  EXPECT_EQ(ShownValue(list, 115), "");
  EXPECT_EQ(ShownValue(list, 149), ";;;;");
  EXPECT_TRUE(ShownValue(list, 33).is_null());

  const CommandRun human = Admin(install_ + " account show john@example.org");
  EXPECT_EQ(human.output.substr(0, human.output.find('\n')), "example.org\t0\tuser");
  EXPECT_NE(human.output.find("\n33\ttext\tsecret\n"), std::string::npos);
  EXPECT_NE(human.output.find("\n19\tdate-time\tnever\n"), std::string::npos) << "day 0";
}

TEST_F(AccountCommandsTest, ShowGivesSingleByteTextsAsUtf8) {
  UserRecord list = MakeRecord("news", "", 1);
  PutPString(list.data() + 2324, 127,
             "a\xFF"
             "b\xE9");
  PutPString(list.data() + 4, 254, "Line one\nline two");
  dir_.Write("inst/config/example.org/users.cfg", FileOf({list}));
  const CommandRun run = Admin(install_ + " --json account show news@example.org");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const nlohmann::json shown = nlohmann::json::parse(run.output);
  EXPECT_EQ(ShownValue(shown, 133), "a");
  EXPECT_EQ(ShownValue(shown, 152), "b\xC3\xA9");
  EXPECT_EQ(ShownValue(shown, 2), "Line one\nline two");
  const CommandRun human = Admin(install_ + " account show news@example.org");
  EXPECT_NE(human.output.find("\n2\ttext\tLine one\\x0aline two\n"), std::string::npos)
      << "one line per setting";
}

TEST_F(AccountCommandsTest, SetChangesTheStoredAccountByKind) {
  struct Case {
    std::string id;
    std::string value;
    std::string shown;  // the human answer after "ID = "
  };
  const Case cases[] = {
      {"45", "'fwd@example.net'", "fwd@example.net"},
      {"70", "false", "0"},
      {"58", "70000", "70000"},
      {"27", "0x100", "256"},
      {"19", "2030-01-31", "2030-01-31 00:00:00"},
      {"19", "'2030-01-31 12:30:00'", "2030-01-31 12:30:00"},
      {"2", "'John Smith;x'", "John Smith"},
      {"5", "'a note'", "a note"},
      {"36", "1", "1"},
  };
  for (const Case& c : cases) {
    const CommandRun run =
        Admin(install_ + " account set john@example.org " + c.id + " " + c.value);
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(run.output, c.id + " = " + c.shown + "\n");
  }
  const nlohmann::json shown =
      nlohmann::json::parse(Admin(install_ + " --json account show john@example.org").output);
  EXPECT_EQ(ShownValue(shown, 45), "fwd@example.net") << "read back from users.cfg";
  EXPECT_EQ(ShownValue(shown, 70), 0);
  EXPECT_EQ(ShownValue(shown, 58), 70000);
  EXPECT_EQ(ShownValue(shown, 2), "John Smith");
  EXPECT_EQ(ShownValue(shown, 5), "a note");
  EXPECT_EQ(ShownValue(shown, 33), "*") << "an administrator's password is not shown";
  EXPECT_EQ(ShownValue(shown, 3), "john;J.Smith") << "the other settings are kept";

  const nlohmann::json set =
      nlohmann::json::parse(Admin(install_ + " --json account set news@example.org 122 2").output);
  EXPECT_EQ(set["value"], 2);
  EXPECT_EQ(set["saved"], true);
  EXPECT_EQ(set["position"], 1);
}

TEST_F(AccountCommandsTest, SetRefusesWhatItCannotStore) {
  const struct {
    int exit_code;
    std::string arguments;
    std::string message;
  } cases[] = {
      {3, "account set john@example.org 7 x", "tarvelin-admin: account setting 7 is unknown\n"},
      {4, "account set john@example.org 27 abc", "tarvelin-admin: not a number: abc\n"},
      {4, "account set john@example.org 36 maybe",
       "tarvelin-admin: not a flag (1/0, true/false, on/off): maybe\n"},
      {4, "account set john@example.org 36 256",
       "tarvelin-admin: not a flag (1/0, true/false, on/off): 256\n"},
      {4, "account set john@example.org 19 2030-02-30",
       "tarvelin-admin: not a date (yyyy-mm-dd [hh:mm[:ss]]) or day number: 2030-02-30\n"},
      {3, "account set nobody@example.org 45 x",
       "tarvelin-admin: no account for nobody@example.org\n"},
      {4, "account set john@example.org 3 ''",
       "tarvelin-admin: setting 3 of john@example.org was not saved: the account has no alias\n"},
      {4, "account set john@example.org 27 4294967296",
       "tarvelin-admin: 4294967296 does not fit in 4 bytes (0 to 4294967295)\n"},
      {3, "account show nobody@example.org", "tarvelin-admin: no account for nobody@example.org\n"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(install_ + " " + c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, c.message) << c.arguments;
  }
  const nlohmann::json shown =
      nlohmann::json::parse(Admin(install_ + " --json account show john@example.org").output);
  EXPECT_EQ(ShownValue(shown, 3), "john;J.Smith") << "nothing was written";
}

}  // namespace
}  // namespace tarvelin
