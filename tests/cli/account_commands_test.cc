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

TEST_F(AccountCommandsTest, ListShowsTheAccountsByNameWithTheirPositions) {
  dir_.Write("inst/config/example.org/users.cfg",
             FileOf({MakeRecord("news", "", 1), MakeRecord("john;J.Smith", "secret"),
                     MakeRecord("Ann", "pw")}));
  const CommandRun human = Admin(install_ + " account list Example.org");
  EXPECT_EQ(human.exit_code, 0);
  EXPECT_EQ(human.output, "2\tuser\tAnn\n1\tuser\tjohn;J.Smith\n0\tlist\tnews\n")
      << "name order, letter case ignored";
  const nlohmann::json json =
      nlohmann::json::parse(Admin(install_ + " --json account list example.org").output);
  ASSERT_EQ(json.size(), 3u);
  EXPECT_EQ(json[2]["position"], 0);
  EXPECT_EQ(json[2]["type"], 1);
  EXPECT_EQ(json[2]["aliases"], "news");
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

TEST_F(AccountCommandsTest, WithoutApiconstAQueryUsesTheShippedNames) {
  ASSERT_EQ(std::remove((dir_.path() + "inst/api/delphi/apiconst.pas").c_str()), 0);
  const CommandRun run = Admin(install_ + " account list example.org --query 'U_Type = 0'");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.output, "0\tuser\tjohn;J.Smith\n");
}

// A mistake in a query once listed nothing and exited 0, as if no account
// matched.
TEST_F(AccountCommandsTest, AQueryIsCheckedBeforeTheWalk) {
  const struct {
    std::string query;
    std::string message;
  } cases[] = {
      {"U_Type = 0 or U_Type = 1", "Operator OR incompatible with string"},
      {"U_Type != 0", "! not appropriate"},
      {"U_Type =", "Unexpected end of expression"},
      {"U_Typo = 0", "Unknown Identifier u_typo"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(install_ + " account list example.org --query '" + c.query + "'");
    EXPECT_EQ(run.exit_code, 2) << c.query;
    EXPECT_EQ(run.output, "tarvelin-admin: the query \"" + c.query + "\" is not a condition: " +
                              c.message + "\n")
        << c.query;
  }
  EXPECT_EQ(Admin(install_ + " account list unknown.org --query 'U_Type ='").exit_code, 3)
      << "the domain is looked up first";
  EXPECT_EQ(Admin(install_ + " account list example.org --query '(U_Type = 0) or (U_Type = 1)'")
                .output,
            "0\tuser\tjohn;J.Smith\n1\tlist\tnews\n");
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
  EXPECT_EQ(ShownValue(user, 33), "********") << "the password is masked";
  EXPECT_EQ(ShownValue(user, 3), "john;J.Smith");
  for (const auto& setting : user["settings"]) {
    if (setting["id"] == 3) {
      EXPECT_EQ(setting["name"], "U_Alias");
    }
  }
  EXPECT_EQ(ShownValue(user, 85), "");
  EXPECT_EQ(ShownValue(user, 70), 1) << "POP3 and IMAP allowed";
  EXPECT_EQ(ShownValue(user, 6), "********") << "the packed record holds the password";
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
  EXPECT_NE(human.output.find("\nU_Password\t33\ttext\t********\n"), std::string::npos);
  EXPECT_EQ(human.output.find("secret"), std::string::npos);
  EXPECT_NE(human.output.find("\nU_AccountExpiryDate\t19\tdate-time\tnever\n"),
            std::string::npos);
  EXPECT_NE(Admin(install_ + " account show john@example.org --show-password")
                .output.find("\nU_Password\t33\ttext\tsecret\n"),
            std::string::npos);
  const nlohmann::json shown = nlohmann::json::parse(
      Admin(install_ + " --json account show john@example.org --show-password").output);
  EXPECT_EQ(ShownValue(shown, 33), "secret");
  EXPECT_NE(ShownValue(shown, 6), "********") << "the whole record, packed";

  dir_.Write("inst/config/example.org/users.cfg", FileOf({MakeRecord("nopw", "")}));
  EXPECT_EQ(ShownValue(nlohmann::json::parse(
                           Admin(install_ + " --json account show nopw@example.org").output),
                       33),
            "")
      << "an empty password gives nothing away";
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
  EXPECT_NE(human.output.find("\nU_Name\t2\ttext\tLine one\\x0aline two\n"), std::string::npos)
      << "one line per setting";
}

TEST_F(AccountCommandsTest, SetChangesTheStoredAccountByKind) {
  struct Case {
    std::string setting;
    std::string value;
    std::string shown;  // the human answer
  };
  const Case cases[] = {
      {"45", "'fwd@example.net'", "U_ForwardTo (45) = fwd@example.net"},
      {"U_ServicesAccessPOP3IMAP", "false", "U_ServicesAccessPOP3IMAP (70) = 0"},
      {"numbersendlimit", "70000", "U_NumberSendLimit (58) = 70000"},
      {"27", "0x100", "U_MaxMessageSize (27) = 256"},
      {"19", "2030-01-31", "U_AccountExpiryDate (19) = 2030-01-31 00:00:00"},
      {"19", "'2030-01-31 12:30:00'", "U_AccountExpiryDate (19) = 2030-01-31 12:30:00"},
      {"U_NAME", "'John Smith;x'", "U_Name (2) = John Smith"},
      {"Comment", "'a note'", "U_Comment (5) = a note"},
      {"36", "1", "U_ServerAdmin (36) = 1"},
  };
  for (const Case& c : cases) {
    const CommandRun run =
        Admin(install_ + " account set john@example.org " + c.setting + " " + c.value);
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(run.output, c.shown + "\n");
  }
  const nlohmann::json shown =
      nlohmann::json::parse(Admin(install_ + " --json account show john@example.org").output);
  EXPECT_EQ(ShownValue(shown, 45), "fwd@example.net") << "read back from users.cfg";
  EXPECT_EQ(ShownValue(shown, 70), 0);
  EXPECT_EQ(ShownValue(shown, 58), 70000);
  EXPECT_EQ(ShownValue(shown, 2), "John Smith");
  EXPECT_EQ(ShownValue(shown, 5), "a note");
  EXPECT_EQ(ShownValue(nlohmann::json::parse(
                           Admin(install_ + " --json account show john@example.org --show-password")
                               .output),
                       33),
            "*")
      << "an administrator's password is not shown";
  EXPECT_EQ(ShownValue(shown, 3), "john;J.Smith") << "the other settings are kept";

  const nlohmann::json set =
      nlohmann::json::parse(Admin(install_ + " --json account set news@example.org 122 2").output);
  EXPECT_EQ(set["value"], 2);
  EXPECT_EQ(set["name"], "U_ListNumber122");
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
      {3, "account set john@example.org U_Nothing x",
       "tarvelin-admin: no account setting named 'U_Nothing'\n"},
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
       "tarvelin-admin: U_Alias (3) of john@example.org was not saved: the account has no "
       "alias\n"},
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

// account set once wrote what it was given: two accounts with one alias, a
// user turned into a list, a password past the policy.
TEST_F(AccountCommandsTest, SetGoesThroughTheLibrarysChecks) {
  dir_.Write("inst/config/example.org/users.cfg",
             FileOf({testing::MakeUser("john;J.Smith", "john", "pw"),
                     testing::MakeUser("bob", "bob", "pw"), MakeRecord("news", "", 1),
                     testing::MakeUser("carl", "carl", "other")}));
  const struct {
    int exit_code;
    std::string arguments;
    std::string message;
  } cases[] = {
      {4, "account set bob@example.org U_Alias 'bob;j.smith'",
       "U_Alias (3) of bob@example.org was not saved: the alias \"j.smith\" is taken by "
       "john@example.org"},
      {4, "account set bob@example.org 16 JOHN",
       "U_Mailbox (16) of bob@example.org was not saved: the mailbox name \"JOHN\" with the "
       "same password is john@example.org's: logins could not tell them apart"},
      {4, "account set bob@example.org 0 1",
       "the type of an account cannot be changed: its settings would be read as another "
       "type's; delete the account and add it again with the new type"},
      {4, "account set news@example.org u_type 0",
       "the type of an account cannot be changed: its settings would be read as another "
       "type's; delete the account and add it again with the new type"},
      {2, "account set bob@example.org 33 a",
       "a password is not taken on the command line, where other users can read it: use "
       "account password ADDRESS"},
      {2, "account set bob@example.org Password a",
       "a password is not taken on the command line, where other users can read it: use "
       "account password ADDRESS"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Admin(install_ + " " + c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, "tarvelin-admin: " + c.message + "\n") << c.arguments;
  }
  // The whole record, packed, reaches the type and the password as well.
  const auto packed = [&](const std::string& address) {
    return ShownValue(
        nlohmann::json::parse(
            Admin(install_ + " --json account show --show-password " + address).output),
        6)
        .get<std::string>();
  };
  const CommandRun list = Admin(install_ + " account set bob@example.org U_Record '" +
                                packed("news@example.org") + "'");
  EXPECT_EQ(list.exit_code, 4) << list.output;
  EXPECT_NE(list.output.find("the type of an account cannot be changed"), std::string::npos);
  const CommandRun password = Admin(install_ + " account set bob@example.org U_Record '" +
                                    packed("carl@example.org") + "'");
  EXPECT_EQ(password.exit_code, 2) << password.output;
  EXPECT_NE(password.output.find("use account password ADDRESS"), std::string::npos);

  EXPECT_EQ(Admin(install_ + " account list example.org").output,
            "1\tuser\tbob\n3\tuser\tcarl\n0\tuser\tjohn;J.Smith\n2\tlist\tnews\n")
      << "nothing was written";
  const CommandRun json = Admin(install_ + " --json account set bob@example.org 0 1");
  EXPECT_EQ(nlohmann::json::parse(json.output)["exit_code"], 4);
}

}  // namespace
}  // namespace tarvelin
