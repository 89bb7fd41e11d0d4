// tarvelin-admin account add, delete and save, run as a user would run them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/users_file_builder.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;

std::string RecordBytes(const UserRecord& record) {
  return std::string(reinterpret_cast<const char*>(record.data()), record.size());
}

class AccountChangeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    const CommandRun created =
        Admin(install_ + " create --domain example.org --domain example.net");
    ASSERT_EQ(created.exit_code, 0) << created.output;
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  // `input` on standard input.
  CommandRun RunWithInput(const std::string& input, const std::string& arguments) {
    dir_.Write("input", input);
    return Run(arguments + " < " + dir_.path() + "input");
  }
  // One setting of an account as account show gives it, or null.
  nlohmann::json Setting(const std::string& address, int id) {
    const CommandRun shown = Run("--json account show --show-password " + address);
    EXPECT_EQ(shown.exit_code, 0) << shown.output;
    const nlohmann::json parsed = nlohmann::json::parse(shown.output);
    for (const auto& setting : parsed["settings"]) {
      if (setting["id"] == id) return setting["value"];
    }
    return nullptr;
  }
  // The stored record at a position of users.cfg, unscrambled.
  UserRecord Stored(const std::string& domain, int position) {
    const std::string bytes = dir_.Read("inst/config/" + domain + "/users.cfg");
    UserRecord record{};
    EXPECT_GE(bytes.size(), static_cast<size_t>((position + 1) * kUserRecordSize));
    std::copy_n(bytes.begin() + position * kUserRecordSize, kUserRecordSize, record.begin());
    ScrambleBytes(record.data(), record.size(), 0);
    return record;
  }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(AccountChangeCommandsTest, AddMakesAUserOfTheAddress) {
  const CommandRun added =
      RunWithInput("two words\n", "account add John@Example.org --password-stdin");
  ASSERT_EQ(added.exit_code, 0) << added.output;
  EXPECT_EQ(added.output, "added John@Example.org at 0\n");
  EXPECT_EQ(Setting("john@example.org", 3), "John") << "the local part is the one alias";
  EXPECT_EQ(Setting("john@example.org", 33), "two words") << "the line break is not in it";
  EXPECT_EQ(Setting("john@example.org", 16), "John") << "the mailbox name follows the alias";
  EXPECT_EQ(Setting("john@example.org", 37), "example.org/John/");

  EXPECT_EQ(Run("--json account add given@example.org --password-stdin < /dev/null").exit_code, 2);
  const CommandRun json = Run("--json account add ann@example.org");
  ASSERT_EQ(json.exit_code, 0) << json.output;
  const nlohmann::json answer = nlohmann::json::parse(json.output);
  EXPECT_EQ(answer["domain"], "example.org");
  EXPECT_EQ(answer["position"], 1);
  EXPECT_EQ(answer["type"], 0);
  EXPECT_EQ(answer["added"], true);
  ASSERT_TRUE(answer["password"].is_string()) << "a user is never left without a password";
  EXPECT_EQ(answer["password"].get<std::string>().size(), 8u);
  EXPECT_EQ(Setting("ann@example.org", 33), answer["password"]);

  EXPECT_EQ(RunWithInput("pw\r\n", "account add crlf@example.org --password-stdin").exit_code, 0);
  EXPECT_EQ(Setting("crlf@example.org", 33), "pw");
}

TEST_F(AccountChangeCommandsTest, AddTakesTheTypeAndSettingsByNameOrNumber) {
  const CommandRun list =
      Run("account add news@example.net --type 1 --set U_Name=News --set '5=the note'");
  ASSERT_EQ(list.exit_code, 0) << list.output;
  EXPECT_EQ(Run("account list example.net").output, "0\tlist\tnews\n");
  EXPECT_EQ(Setting("news@example.net", 2), "News");
  EXPECT_EQ(Setting("news@example.net", 5), "the note");

  ASSERT_EQ(Run("account add bob@example.net --set numbersendlimit=70000 --set 36=on --set "
                "'19=2030-01-31 12:30:00' --set '3=bob;robert'")
                .exit_code,
            0);
  EXPECT_EQ(Setting("bob@example.net", 58), 70000);
  EXPECT_EQ(Setting("bob@example.net", 36), 1);
  EXPECT_DOUBLE_EQ(Setting("bob@example.net", 19).get<double>(), 47514 + 12.5 / 24)
      << "2030-01-31 12:30";
  EXPECT_EQ(Setting("robert@example.net", 3), "bob;robert") << "a setting may add aliases";

  ASSERT_EQ(Run("account add servers@example.net --type 6").exit_code, 0);
  EXPECT_EQ(Run("account list example.net").output,
            "1\tuser\tbob;robert\n0\tlist\tnews\n2\tlist server\tservers\n");
  EXPECT_EQ(Run("--json account add server2@example.net --type 6").output.find("password"),
            std::string::npos)
      << "only user accounts get a password";
}

TEST_F(AccountChangeCommandsTest, AddStartsFromTheDefaultsWhenTheConfigurationAsks) {
  dir_.Write("inst/config/default.ini", "MaxMessageSize=500\n");
  ASSERT_EQ(Run("account add before@example.org").exit_code, 0);
  EXPECT_EQ(Setting("before@example.org", 27), 0) << "variable 77 is off";

  ASSERT_EQ(Run("config set 77 1").exit_code, 0);
  ASSERT_EQ(Run("account add after@example.org").exit_code, 0);
  EXPECT_EQ(Setting("after@example.org", 27), 500);

  // The defaults are those of a user: in a list they would land in its
  // own fields.
  ASSERT_EQ(Run("account add list@example.org --type 1").exit_code, 0);
  const UserRecord list = Stored("example.org", 2);
  EXPECT_EQ(GetLE(list.data() + 760, 4), 0u);
}

TEST_F(AccountChangeCommandsTest, AddRefusalsSayWhyAndWriteNothing) {
  ASSERT_EQ(Run("account add taken@example.org").exit_code, 0);
  const std::string long_local(256, 'a');
  const struct {
    int exit_code;
    std::string input;  // on standard input
    std::string arguments;
    std::string message;
  } cases[] = {
      {4, "", "account add TAKEN@example.org", "the alias \"taken\" is taken by taken@example.org"},
      {3, "", "account add x@missing.example", "no domain \"missing.example\""},
      {2, "", "account add 'a;b@example.org'", "one alias per address: \";\" in a;b@example.org"},
      {2, "", "account add plain", "not an address (local@domain): plain"},
      {2, "", "account add a@b@example.org", "not an address (local@domain): a@b@example.org"},
      {2, "", "account add @example.org", "not an address (local@domain): @example.org"},
      {4, "", "account add " + long_local + "@example.org",
       "the local part of " + long_local + "@example.org is longer than 255 characters"},
      {4, "", "account add 'a b@example.org'",
       "the alias list \"a b\" holds a character an alias may not"},
      {2, "pw\n", "account add l@example.org --type 1 --password-stdin",
       "only user accounts (type 0) have a password"},
      {2, "", "account add p@example.org --password-stdin", "no password on standard input"},
      {2, "\n", "account add p@example.org --password-stdin", "no password on standard input"},
      {4, std::string(128, 'p') + "\n", "account add p@example.org --password-stdin",
       "the password is longer than 127 characters"},
      {3, "", "account add s@example.org --set 7=1", "account setting 7 is unknown"},
      {4, "", "account add s@example.org --set 27=lots", "not a number: lots"},
      {2, "", "account add s@example.org --set 27", "not NAME=VALUE or ID=VALUE: 27"},
      {3, "", "account add s@example.org --set U_MaxMessage=1",
       "no account setting named 'U_MaxMessage'; did you mean 'U_MaxMessageSize'?"},
      {2, "", "account add s@example.org --set U_Type=1", "the type is given with --type"},
      {2, "", "account add s@example.org --set 33=secret",
       "a password is not taken on the command line, where other users can read it: use "
       "--password-stdin"},
  };
  for (const auto& c : cases) {
    const CommandRun run = RunWithInput(c.input, c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, "tarvelin-admin: " + c.message + "\n") << c.arguments;
  }
  // The whole record, packed, reaches the type and the password as well.
  const nlohmann::json packed = Setting("taken@example.org", 6);
  ASSERT_TRUE(packed.is_string());
  const CommandRun whole = Run("account add w@example.org --set 'U_Record=" +
                               packed.get<std::string>() + "'");
  EXPECT_EQ(whole.exit_code, 2);
  EXPECT_EQ(whole.output,
            "tarvelin-admin: a password is not taken on the command line, where other users can "
            "read it: use --password-stdin\n");
  const CommandRun retyped = Run("account add w@example.org --type 1 --set 'U_Record=" +
                                 packed.get<std::string>() + "'");
  EXPECT_EQ(retyped.exit_code, 2);
  EXPECT_EQ(retyped.output, "tarvelin-admin: the type is given with --type\n");
  const CommandRun type = Run("account add t@example.org --type 8");
  EXPECT_NE(type.exit_code, 0);
  EXPECT_NE(type.output.find("not in range 0 to 7"), std::string::npos) << type.output;
  EXPECT_EQ(Run("account list example.org").output, "0\tuser\ttaken\n");
}

TEST_F(AccountChangeCommandsTest, DeleteRemovesTheAccountAndItsMailFolder) {
  ASSERT_EQ(Run("account add ann@example.org --set '3=ann;anna'").exit_code, 0);
  ASSERT_EQ(Run("account add john@example.org").exit_code, 0);
  dir_.Write("inst/mail/example.org/john/1.imap", "message");

  const CommandRun deleted = Run("account delete JOHN@example.org");
  ASSERT_EQ(deleted.exit_code, 0) << deleted.output;
  EXPECT_EQ(deleted.output, "deleted JOHN@example.org (position 1)\n");
  EXPECT_FALSE(dir_.Exists("inst/mail/example.org/john/1.imap"));

  const nlohmann::json json =
      nlohmann::json::parse(Run("--json account delete anna@example.org").output);
  EXPECT_EQ(json["position"], 0) << "any alias of the account names it";
  EXPECT_EQ(json["deleted"], true);
  EXPECT_EQ(Run("account list example.org").output, "(no accounts in example.org)\n");

  const struct {
    int exit_code;
    std::string arguments;
    std::string message;
  } cases[] = {
      {3, "account delete john@example.org", "no account has the alias john@example.org"},
      {3, "account delete john@missing.example", "no domain \"missing.example\""},
      {2, "account delete john", "not an address (local@domain): john"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, "tarvelin-admin: " + c.message + "\n") << c.arguments;
  }
}

TEST_F(AccountChangeCommandsTest, SaveReplacesTheRecordWithTheLibrarysChecks) {
  ASSERT_EQ(Run("account add john@example.org").exit_code, 0);
  ASSERT_EQ(Run("account add ann@example.org").exit_code, 0);
  dir_.Write("record", RecordBytes(MakeRecord("john;jsmith", "new secret")));

  const CommandRun saved = Run("account save Example.org 0 " + dir_.path() + "record");
  ASSERT_EQ(saved.exit_code, 0) << saved.output;
  EXPECT_EQ(saved.output, "saved the account at position 0 of example.org\n");
  EXPECT_EQ(Setting("jsmith@example.org", 3), "john;jsmith");
  EXPECT_EQ(Setting("john@example.org", 33), "new secret");
  EXPECT_EQ(Setting("john@example.org", 16), "john") << "the library filled the mailbox name";

  dir_.Write("input", RecordBytes(MakeRecord("ann;annie", "pw")));
  const CommandRun piped = Run("--json account save example.org 1 - < " + dir_.path() + "input");
  ASSERT_EQ(piped.exit_code, 0) << piped.output;
  EXPECT_EQ(nlohmann::json::parse(piped.output)["saved"], true);
  EXPECT_EQ(Setting("annie@example.org", 33), "pw");
}

TEST_F(AccountChangeCommandsTest, SaveRefusalsSayWhyAndWriteNothing) {
  ASSERT_EQ(Run("account add john@example.org").exit_code, 0);
  ASSERT_EQ(Run("account add ann@example.org").exit_code, 0);
  const std::string good = RecordBytes(MakeRecord("john", "pw"));
  dir_.Write("good", good);
  dir_.Write("short", good.substr(0, kUserRecordSize - 1));
  dir_.Write("long", good + "x");
  dir_.Write("taken", RecordBytes(MakeRecord("john;ann", "pw")));
  const std::string dir = dir_.path();
  const struct {
    int exit_code;
    std::string arguments;
    std::string message;
  } cases[] = {
      {4, "account save example.org 0 " + dir + "short",
       dir + "short holds 2847 bytes; an account record is exactly 2848"},
      {4, "account save example.org 0 " + dir + "long",
       dir + "long holds 2849 bytes; an account record is exactly 2848"},
      {4, "account save example.org 0 - < " + dir + "short",
       "standard input holds 2847 bytes; an account record is exactly 2848"},
      {3, "account save example.org 0 " + dir + "missing",
       "cannot read " + dir + "missing: No such file or directory"},
      {3, "account save missing.example 0 " + dir + "good", "no domain \"missing.example\""},
      {3, "account save example.org 2 " + dir + "good", "no account at position 2 of example.org"},
      {3, "account save example.org -1 " + dir + "good", "no account at position -1 of example.org"},
      {4, "account save example.org 0 " + dir + "taken",
       "cannot save the account at position 0 of example.org: the alias \"ann\" is taken by "
       "ann@example.org"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, "tarvelin-admin: " + c.message + "\n") << c.arguments;
  }
  EXPECT_EQ(Run("account list example.org").output, "1\tuser\tann\n0\tuser\tjohn\n");
}

// The password policy, and what each refusal says.
class AccountPasswordTest : public AccountChangeCommandsTest {
 protected:
  void SetUp() override {
    AccountChangeCommandsTest::SetUp();
    for (const char* setting : {"155 1", "156 8", "157 2", "247 1"}) {
      ASSERT_EQ(Run(std::string("config set ") + setting).exit_code, 0) << setting;
    }
  }
};

TEST_F(AccountPasswordTest, AddGivesAUserAPasswordThePolicyTakes) {
  const CommandRun added = Run("account add ann@example.org");
  ASSERT_EQ(added.exit_code, 0) << added.output;
  const std::string prefix = "added ann@example.org at 0\npassword: ";
  ASSERT_EQ(added.output.substr(0, prefix.size()), prefix);
  const std::string password = added.output.substr(prefix.size(), added.output.size() - prefix.size() - 1);
  EXPECT_EQ(password.size(), 8u);
  EXPECT_EQ(Setting("ann@example.org", 33), password);
  const CommandRun checked = RunWithInput(password + "\n", "password check ann ann");
  EXPECT_EQ(checked.exit_code, 0) << password << ": " << checked.output;
  EXPECT_EQ(RunWithInput(password + "\n", "auth ann").exit_code, 0);
}

TEST_F(AccountPasswordTest, PasswordChangesThroughTheLibrarysSave) {
  ASSERT_EQ(Run("account add ann@example.org").exit_code, 0);
  ASSERT_EQ(Run("account add news@example.org --type 1").exit_code, 0);
  const CommandRun changed = RunWithInput("ab12-cdef\n", "account password ann@example.org");
  ASSERT_EQ(changed.exit_code, 0) << changed.output;
  EXPECT_EQ(changed.output, "changed the password of ann@example.org\n");
  EXPECT_EQ(Setting("ann@example.org", 33), "ab12-cdef");
  EXPECT_EQ(RunWithInput("ab12-cdef\n", "auth ann").exit_code, 0);

  const std::string not_changed = "the password of ann@example.org was not changed: ";
  const struct {
    int exit_code;
    std::string input;
    std::string arguments;
    std::string message;
  } cases[] = {
      {4, "ab12-cd\n", "account password ann@example.org",
       not_changed + "the password policy asks for at least 8 characters; the password has 7"},
      {4, "abcdefg-1\n", "account password ann@example.org",
       not_changed + "the password policy asks for at least 2 digits; the password has 1"},
      {4, "abcdef12\n", "account password ann@example.org",
       not_changed +
           "the password policy asks for at least 1 characters other than letters and digits; "
           "the password has 0"},
      {4, std::string(128, '1') + "-\n", "account password ann@example.org",
       not_changed + "it is longer than 127 characters"},
      {2, "", "account password ann@example.org", "no password on standard input"},
      {3, "ab12-cdef\n", "account password nobody@example.org", "no account for nobody@example.org"},
      {4, "ab12-cdef\n", "account password news@example.org",
       "the password of news@example.org was not changed: only user accounts have a password"},
      {4, "ab12-cd\n", "account add bob@example.org --password-stdin",
       "the password policy asks for at least 8 characters; the password has 7"},
      {4, "abcdefgh\n", "password check",
       "the password policy asks for at least 2 digits; the password has 0"},
      {2, "", "password check", "no password on standard input"},
  };
  for (const auto& c : cases) {
    const CommandRun run = RunWithInput(c.input, c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, "tarvelin-admin: " + c.message + "\n") << c.arguments;
  }
  EXPECT_EQ(Setting("ann@example.org", 33), "ab12-cdef") << "nothing was written";
  EXPECT_EQ(Run("account list example.org").output, "0\tuser\tann\n1\tlist\tnews\n");
}

}  // namespace
}  // namespace tarvelin
