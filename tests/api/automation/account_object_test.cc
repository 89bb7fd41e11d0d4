#include "api/automation/account_object.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "api/automation/automation_error.h"
#include "api/c/account_enumeration.h"
#include "api/c/account_operations.h"
#include "api/c/setting_exports.h"
#include "core/config/config_variables.h"
#include "core/context.h"
#include "foundation/bytes.h"
#include "foundation/hash_methods.h"
#include "schema/user_record.h"
#include "support/automation_installation.h"

namespace tarvelin::testing {
namespace {

using automation::AccountObject;
using automation::VarType;

constexpr int32_t kPasswordPolicy = 155;
constexpr int32_t kPasswordMinLength = 156;
constexpr int32_t kPasswordMinDigits = 157;
constexpr int32_t kApplyDefaults = 77;
constexpr int32_t kAliasLogins = 115;

class AccountObjectTest : public AutomationInstallation {
 protected:
  AccountObjectTest() : object_(Create("OrvikCOM.AccountObject")) {
    // Logins name the mailbox; failed ones do not wait here.
    SetVariable(kAliasLogins, 0);
    context_.set_auth_sleep([this](int seconds) { waited_.push_back(seconds); });
  }

  AccountObject& account() { return static_cast<AccountObject&>(*object_); }
  void SetVariable(int32_t id, uint8_t value) {
    ASSERT_TRUE(SetConfigSetting(context_, id, &value, 1).ok()) << id;
  }
  int32_t LastErr(const ObjectRef& object) {
    return static_cast<int32_t>(Call(object, "LastErr").integer());
  }
  bool Bool(const ObjectRef& object, std::string_view member, std::vector<Variant> args = {}) {
    Variant result = Call(object, member, std::move(args));
    EXPECT_EQ(result.type(), VarType::kBool) << member;
    return result.boolean();
  }
  // A user account with that mailbox name and password, added through an
  // object of its own.
  void AddUser(const std::string& email, const std::string& mailbox, const std::string& password) {
    ObjectRef adder = Create("OrvikCOM.AccountObject");
    ASSERT_TRUE(Bool(adder, "New", {Text(email)}));
    Call(adder, "SetProperty", {Text("U_Mailbox"), Text(mailbox)});
    Call(adder, "SetProperty", {Text("U_Password"), Text(password)});
    ASSERT_TRUE(Bool(adder, "Save")) << email;
  }
  UserRecord Stored(const char* domain, const char* alias) {
    UserRecord record{};
    const int32_t index = capi::GetUserIndex(context_, domain, alias);
    EXPECT_GE(index, 0) << alias;
    EXPECT_EQ(capi::LoadUser(context_, domain, index, record.data(), kUserRecordSize),
              kUserRecordSize);
    return record;
  }
  std::string Setting(const UserRecord& record, int32_t id) {
    char buffer[255];
    const int32_t length =
        GetUserSettingFor(context_, record.data(), kUserRecordSize, id, buffer, sizeof buffer);
    return length < 0 ? std::string() : std::string(buffer, length);
  }

  ObjectRef object_;
  std::vector<int> waited_;
};

TEST_F(AccountObjectTest, FreshObjectIsANewEmptyAccount) {
  EXPECT_TRUE(account().is_new());
  EXPECT_EQ(account().index(), -1);
  EXPECT_EQ(account().record(), UserRecord{});
  EXPECT_EQ(Call(object_, "Domain").text(), "");
  EXPECT_EQ(Call(object_, "EmailAddress").text(), "@");
}

TEST_F(AccountObjectTest, NewSplitsTheAddressAndTakesTheFirstDomainWithoutOne) {
  struct Case {
    const char* email;
    const char* alias;
    const char* domain;
  };
  for (const Case& c :
       {Case{"bob", "bob", "example.org"}, Case{" Bob @ Other.ORG ", "Bob", "other.org"},
        Case{"bob@", "bob", "example.org"}, Case{"bob@nowhere.test", "bob", "nowhere.test"}}) {
    Call(object_, "Open", {Text("nobody")});
    ASSERT_EQ(LastErr(object_), -1);
    EXPECT_TRUE(Bool(object_, "New", {Text(c.email)})) << c.email;
    EXPECT_EQ(LastErr(object_), 0) << c.email;
    EXPECT_TRUE(account().is_new()) << c.email;
    EXPECT_EQ(Call(object_, "Domain").text(), c.domain) << c.email;
    EXPECT_EQ(Call(object_, "EmailAddress").text(), std::string(c.alias) + "@" + c.domain)
        << c.email;
  }
}

TEST_F(AccountObjectTest, OpenLoadsTheAccountAndUnknownOnesAnswerMinusOne) {
  AddUser("anna@other.org", "anna", "secret1");
  EXPECT_TRUE(Bool(object_, "Open", {Text("ANNA@other.org")}));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_FALSE(account().is_new());
  EXPECT_EQ(account().index(), 0);
  EXPECT_EQ(Call(object_, "GetProperty", {Text("U_Password")}).text(), "secret1");
  EXPECT_EQ(Call(object_, "EmailAddress").text(), "anna@other.org");

  for (const char* unknown : {"anna", "anna@nowhere.test", "nobody@other.org"}) {
    EXPECT_FALSE(Bool(object_, "Open", {Text(unknown)})) << unknown;
    EXPECT_EQ(LastErr(object_), -1) << unknown;
    EXPECT_FALSE(account().is_new()) << unknown;
    EXPECT_EQ(account().record(), UserRecord{}) << unknown;
  }
}

TEST_F(AccountObjectTest, SaveOfAnOpenedAccountWritesItBackAndDeleteRemovesIt) {
  AddUser("anna", "anna", "secret1");
  AddUser("bert", "bert", "secret2");
  ASSERT_TRUE(Bool(object_, "Open", {Text("bert")}));
  EXPECT_TRUE(Bool(object_, "SetProperty", {Text("U_Name"), Text("Bert B")}));
  EXPECT_TRUE(Bool(object_, "Save"));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Setting(Stored("example.org", "bert"), 2), "Bert B");

  EXPECT_TRUE(Bool(object_, "Delete"));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "bert"), -1);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "anna"), 0);
  EXPECT_TRUE(account().is_new());
  EXPECT_EQ(Call(object_, "Domain").text(), "");

  // Nothing left to delete: the reset object names no domain.
  EXPECT_FALSE(Bool(object_, "Delete"));
  EXPECT_EQ(LastErr(object_), -1);
}

TEST_F(AccountObjectTest, SaveOfANewAccountWithoutPasswordGeneratesOneOfTheConfiguredLength) {
  SetVariable(kPasswordMinLength, 11);
  SetVariable(kPasswordMinDigits, 2);
  ASSERT_TRUE(Bool(object_, "New", {Text("carol")}));
  EXPECT_TRUE(Bool(object_, "Save"));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_FALSE(account().is_new());
  EXPECT_EQ(account().index(), 0);

  const std::string password = Setting(Stored("example.org", "carol"), 33);
  EXPECT_EQ(password.size(), 11u);
  int digits = 0;
  for (char c : password) {
    EXPECT_FALSE(std::isupper(static_cast<unsigned char>(c))) << password;
    if (std::isdigit(static_cast<unsigned char>(c))) ++digits;
  }
  EXPECT_GE(digits, 2) << password;

  // A password the client set is kept; other types get none.
  ObjectRef given = Create("OrvikCOM.AccountObject");
  Call(given, "New", {Text("dora")});
  Call(given, "SetProperty", {Text("U_Password"), Text("mine4")});
  ASSERT_TRUE(Bool(given, "Save"));
  EXPECT_EQ(Setting(Stored("example.org", "dora"), 33), "mine4");
  ObjectRef list = Create("OrvikCOM.AccountObject");
  Call(list, "New", {Text("news")});
  Call(list, "SetProperty", {Text("U_Type"), I4(1)});
  ASSERT_TRUE(Bool(list, "Save"));
  const UserRecord stored = Stored("example.org", "news");
  EXPECT_EQ(stored[772], 0) << "no password for a mailing list";
}

TEST_F(AccountObjectTest, SaveRefusedByThePasswordRulesAnswersFalse) {
  SetVariable(kPasswordPolicy, 1);
  SetVariable(kPasswordMinLength, 8);
  ASSERT_TRUE(Bool(object_, "New", {Text("erik")}));
  Call(object_, "SetProperty", {Text("U_Password"), Text("short")});
  EXPECT_FALSE(Bool(object_, "Save"));
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_FALSE(account().is_new()) << "no longer new, whatever the outcome";
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "erik"), -1);
}

TEST_F(AccountObjectTest, TheDefaultsStepRunsOnceOnANewUserAccount) {
  // The first SetProperty of a new user account marks its mailbox mode.
  Call(object_, "New", {Text("fred")});
  Call(object_, "SetProperty", {Text("U_Name"), Text("Fred")});
  EXPECT_EQ(account().record()[665], 1);
  // Not on a record that became another type first, nor on an opened one.
  ObjectRef list = Create("OrvikCOM.AccountObject");
  Call(list, "New", {Text("news")});
  Call(list, "SetProperty", {Text("U_Type"), I4(1)});
  EXPECT_EQ(static_cast<AccountObject&>(*list).record()[665], 0);
  AddUser("gina", "gina", "secret1");
  ObjectRef opened = Create("OrvikCOM.AccountObject");
  Call(opened, "Open", {Text("gina")});
  Call(opened, "SetProperty", {Text("U_MailboxMode"), I4(0)});
  EXPECT_EQ(static_cast<AccountObject&>(*opened).record()[665], 0);
}

TEST_F(AccountObjectTest, DefaultsComeFromTheAccountsOwnDomainWhenItHasAFile) {
  dir_.Write("config/other.org/default.ini", "ForwardTo=from@other.org\n");
  dir_.Write("config/default.ini", "ForwardTo=from@everywhere.org\n");
  SetVariable(kApplyDefaults, 0);
  Call(object_, "New", {Text("hans@other.org")});
  Call(object_, "SetProperty", {Text("U_Mailbox"), Text("hans")});
  EXPECT_EQ(Call(object_, "GetProperty", {Text("U_ForwardTo")}).text(), "")
      << "the defaults are not forced";

  SetVariable(kApplyDefaults, 1);
  struct Case {
    const char* email;
    const char* forward;
  };
  for (const Case& c : {Case{"hans@other.org", "from@other.org"},
                        Case{"hans@example.org", "from@everywhere.org"}}) {
    ObjectRef object = Create("OrvikCOM.AccountObject");
    Call(object, "New", {Text(c.email)});
    Call(object, "SetProperty", {Text("U_Mailbox"), Text("hans")});
    EXPECT_EQ(Call(object, "GetProperty", {Text("U_ForwardTo")}).text(), c.forward) << c.email;
    // Applied once: a later change stays.
    Call(object, "SetProperty", {Text("U_ForwardTo"), Text("")});
    EXPECT_EQ(Call(object, "GetProperty", {Text("U_ForwardTo")}).text(), "") << c.email;
  }
  // Saved without any SetProperty: the defaults step still runs.
  Call(object_, "New", {Text("ines@other.org")});
  ASSERT_TRUE(Bool(object_, "Save"));
  EXPECT_EQ(Setting(Stored("other.org", "ines"), 45), "from@other.org");
}

TEST_F(AccountObjectTest, AuthenticateUserLoadsTheAccountAndItsDomain) {
  AddUser("jan@other.org", "jan", "secret1");
  EXPECT_TRUE(Bool(object_, "AuthenticateUser", {Text("JAN"), Text("secret1"), Text("")}));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Call(object_, "EmailAddress").text(), "jan@other.org");
  EXPECT_TRUE(account().is_new()) << "neither the new flag nor the index change";
  EXPECT_EQ(account().index(), -1);
  EXPECT_TRUE(waited_.empty());

  Call(object_, "New", {Text("someone")});
  EXPECT_FALSE(Bool(object_, "AuthenticateUser", {Text("jan"), Text("wrong"), Text("")}));
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_EQ(Call(object_, "EmailAddress").text(), "someone@example.org") << "untouched";
  EXPECT_EQ(waited_, std::vector<int>{3});
}

TEST_F(AccountObjectTest, AuthenticateUserHashTakesTheMethodAndChallengeAndKeepsLastErr) {
  AddUser("kai@other.org", "kai", "secret1");
  const std::string challenge = "<1.2@host>";
  const std::string digest = ExpectedSecret(HashMethod::kCramMd5, "kai", "secret1", challenge, "");
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  Call(object_, "Open", {Text("nobody")});
  ASSERT_EQ(LastErr(object_), -1);
  struct Case {
    std::string secret;
    std::string method;
    bool accepted;
  };
  for (const Case& c : {Case{digest, " cram-md5 | " + challenge + " ", true},
                        Case{upper, "CRAM-MD5|" + challenge, false}, Case{"secret1", "", true},
                        Case{"secret1", "|ignored", true}, Case{"secret1", "PLAIN", true},
                        Case{"wrong", "PLAIN", false}}) {
    Call(object_, "New", {Text("someone")});
    EXPECT_EQ(Bool(object_, "AuthenticateUserHash",
                   {Text("kai"), Text(c.secret), Text(""), Text(c.method)}),
              c.accepted)
        << c.method << " " << c.secret;
    EXPECT_EQ(Call(object_, "EmailAddress").text(),
              c.accepted ? "kai@other.org" : "someone@example.org")
        << c.method;
    EXPECT_EQ(LastErr(object_), 0) << "New stored 0; the method stores nothing";
  }
}

TEST_F(AccountObjectTest, ValidateUserAsksWhetherTheAccountMayUseTheServer) {
  AddUser("lea", "lea", "secret1");
  ASSERT_TRUE(Bool(object_, "Open", {Text("lea")}));
  account().set_last_err(-1);
  EXPECT_TRUE(Bool(object_, "ValidateUser"));
  EXPECT_EQ(LastErr(object_), -1) << "unchanged";
  account().set_last_err(0);
  Call(object_, "SetProperty", {Text("U_AccountState"), I4(1)});
  EXPECT_FALSE(Bool(object_, "ValidateUser"));
  EXPECT_EQ(LastErr(object_), 0);
  // Other types are never refused.
  Call(object_, "SetProperty", {Text("U_Type"), I4(1)});
  EXPECT_TRUE(Bool(object_, "ValidateUser"));
}

TEST_F(AccountObjectTest, CanCreateMailboxRefusesAMailboxAndPasswordInUse) {
  AddUser("mia", "mbox", "secret1");
  Call(object_, "New", {Text("x@other.org")});
  struct Case {
    const char* alias;
    const char* mailbox;
    const char* password;
    const char* domain;
    bool can;
  };
  for (const Case& c : {Case{"other", "MBOX", "secret1", "", false},  // the object's domain
                        Case{"other", "mbox", "secret1", "other.org", false},
                        Case{"other", "mbox", "secret2", "other.org", true},
                        Case{"mia", "mbox", "secret1", "example.org", true},  // its own
                        Case{"other", "mbox2", "secret1", "example.org", true},
                        Case{"other", "x", "y", "nowhere.test", false}}) {
    account().set_last_err(-1);
    EXPECT_EQ(Bool(object_, "CanCreateMailbox",
                   {Text(c.alias), Text(c.mailbox), Text(c.password), Text(c.domain)}),
              c.can)
        << c.mailbox << " " << c.password << " " << c.domain;
    EXPECT_EQ(LastErr(object_), 0);
  }
}

TEST_F(AccountObjectTest, MailboxConvertMessagesConvertsThePathItIsGiven) {
  dir_.Write("mail/example.org/john/1.tmp", "Subject: x\r\n\r\n..\r\n.\r\n");
  const std::string path = dir_.path() + "mail/example.org/john";
  Call(object_, "Open", {Text("nobody")});
  EXPECT_TRUE(Bool(object_, "MailboxConvertMessages",
                   {Text(path), Variant::Bool(false), Variant::Bool(false)}));
  EXPECT_EQ(dir_.Read("mail/example.org/john/inbox/1.imap"), "Subject: x\r\n\r\n.");
  EXPECT_FALSE(Bool(object_, "MailboxConvertMessages", {Text(path), I4(0), I4(0)}))
      << "nothing left";
  EXPECT_TRUE(Bool(object_, "MailboxConvertMessages", {Text(path), I4(1), I4(0)}));
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/1.tmp"));
  EXPECT_FALSE(Bool(object_, "MailboxConvertMessages", {Text(""), I4(1), I4(1)}));
  EXPECT_EQ(LastErr(object_), -1) << "unchanged";
}

class AccountWalkTest : public AccountObjectTest {
 protected:
  AccountWalkTest() {
    AddUser("anna", "anna", "secret1");
    ObjectRef list = Create("OrvikCOM.AccountObject");
    Call(list, "New", {Text("news")});
    Call(list, "SetProperty", {Text("U_Type"), I4(1)});
    EXPECT_TRUE(Call(list, "Save").boolean());
    AddUser("carl", "carl", "secret3");
  }
};

TEST_F(AccountWalkTest, FindInitQueryAndFindNextDeliverTheRecordsWithTheirPositions) {
  EXPECT_TRUE(Bool(object_, "FindInitQuery", {Text("example.org"), Text("U_Type = 0")}));
  EXPECT_EQ(LastErr(object_), -1) << "the automation true is stored";
  EXPECT_TRUE(Bool(object_, "FindNext"));
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_EQ(account().index(), 0);
  EXPECT_TRUE(Bool(object_, "FindNext"));
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_EQ(account().index(), 2) << "the record's position in users.cfg";
  EXPECT_FALSE(account().is_new());
  EXPECT_EQ(Call(object_, "EmailAddress").text(), "carl@example.org");
  // A member that stores a count or length: LastErr reads 0 again.
  EXPECT_EQ(Call(object_, "GetProperty", {Text("U_Password")}).text(), "secret3");
  EXPECT_EQ(LastErr(object_), 0);

  // The walked record saves back at its position.
  Call(object_, "SetProperty", {Text("U_Name"), Text("Carl C")});
  EXPECT_TRUE(Bool(object_, "Save"));
  EXPECT_EQ(Setting(Stored("example.org", "carl"), 2), "Carl C");
  EXPECT_EQ(capi::GetUserCount(context_, "example.org"), 3);

  EXPECT_FALSE(Bool(object_, "FindNext"));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(account().index(), 2) << "the end changes nothing";
}

TEST_F(AccountWalkTest, FindInitWalksEveryAccountAndStartsOverOnTheNextInit) {
  std::vector<std::string> seen;
  EXPECT_TRUE(Bool(object_, "FindInit", {Text("example.org")}));
  while (Call(object_, "FindNext").boolean()) seen.push_back(Call(object_, "EmailAddress").text());
  EXPECT_EQ(seen,
            (std::vector<std::string>{"anna@example.org", "news@example.org", "carl@example.org"}));
  EXPECT_TRUE(Bool(object_, "FindInit", {Text("example.org")}));
  EXPECT_TRUE(Bool(object_, "FindNext"));
  EXPECT_EQ(Call(object_, "EmailAddress").text(), "anna@example.org");
}

TEST_F(AccountWalkTest, WalksThatCannotStartOrHaveEndedDeliverNothing) {
  struct Case {
    const char* domain;
  };
  for (const Case& c : {Case{"nowhere.test"}, Case{""}}) {
    EXPECT_FALSE(Bool(object_, "FindInit", {Text(c.domain)})) << c.domain;
    EXPECT_EQ(LastErr(object_), 0) << c.domain;
    EXPECT_FALSE(Bool(object_, "FindNext")) << c.domain;
  }
  EXPECT_TRUE(Bool(object_, "FindInit", {Text("example.org")}));
  Call(object_, "FindDone");
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_FALSE(Bool(object_, "FindNext"));
  EXPECT_EQ(LastErr(object_), 0);
}

TEST_F(AccountObjectTest, DataIsTheAddressOfTheRecord) {
  Call(object_, "New", {Text("nora")});
  Variant data = Call(object_, "Data");
  EXPECT_EQ(data.type(), VarType::kI8);
  const auto* bytes = reinterpret_cast<const uint8_t*>(static_cast<intptr_t>(data.integer()));
  EXPECT_EQ(bytes, account().record().data());
  EXPECT_EQ(std::memcmp(bytes + 260, "\x04nora", 5), 0);
}

TEST_F(AccountObjectTest, UnknownPropertiesFailAndKeepLastErr) {
  Call(object_, "Open", {Text("nobody")});
  automation::CallOutcome outcome = Try(object_, "GetProperty", {Text("U_NoSuchThing")});
  EXPECT_EQ(outcome.status, automation::DispatchStatus::kException);
  EXPECT_EQ(outcome.message, "Property u_nosuchthing not found");
  EXPECT_EQ(LastErr(object_), -1);
}

TEST_F(AccountWalkTest, ReleasingTheObjectEndsItsWalk) {
  EXPECT_TRUE(Bool(object_, "FindInit", {Text("example.org")}));
  EXPECT_TRUE(Bool(object_, "FindNext"));
  object_ = ObjectRef();
  // Handles are handed out in turn: the object's walk had the one before.
  std::unique_ptr<UserEnumState> probe = InitUsersQuery(context_, "example.org", nullptr);
  ASSERT_NE(probe, nullptr);
  const int32_t handle = static_cast<int32_t>(GetLE(probe->data() + walk_offsets::kHandle, 4));
  EXPECT_EQ(context_.walks().Find(handle - 1), nullptr);
  DoneUsers(context_, std::move(probe));
}

TEST(AccountObjectMembers, AreTheInterfaceSlotsInOrder) {
  struct Slot {
    std::string_view name;
    int32_t dispid;
    automation::CallKind kind;
    size_t params;
  };
  using automation::kMethod;
  using automation::kPropertyGet;
  const std::vector<Slot> expected = {
      {"LastErr", 0xc9, kPropertyGet, 0},
      {"Domain", 0xca, kPropertyGet, 0},
      {"New", 0xcb, kMethod, 1},
      {"Open", 0xcc, kMethod, 1},
      {"Save", 0xcd, kMethod, 0},
      {"Delete", 0xce, kMethod, 0},
      {"SetProperty", 0xcf, kMethod, 2},
      {"GetProperty", 0xd0, kMethod, 1},
      {"AuthenticateUser", 0xd3, kMethod, 3},
      {"FindInit", 0xd4, kMethod, 1},
      {"FindNext", 0xd5, kMethod, 0},
      {"FindDone", 0xd6, kMethod, 0},
      {"CanCreateMailbox", 0xd1, kMethod, 4},
      {"Data", 0xd2, kPropertyGet, 0},
      {"MailboxConvertMessages", 0xd7, kMethod, 3},
      {"FindInitQuery", 0xd8, kMethod, 2},
      {"EmailAddress", 0xd9, kPropertyGet, 0},
      {"AuthenticateUserHash", 0xda, kMethod, 4},
      {"ValidateUser", 0xdb, kMethod, 0},
  };
  const std::vector<automation::Member>& members = AccountObject::Info().members;
  ASSERT_EQ(members.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(members[i].name, expected[i].name) << i;
    EXPECT_EQ(members[i].dispid, expected[i].dispid) << expected[i].name;
    EXPECT_EQ(members[i].kind, expected[i].kind) << expected[i].name;
    EXPECT_EQ(members[i].params.size(), expected[i].params) << expected[i].name;
  }
}

}  // namespace
}  // namespace tarvelin::testing
