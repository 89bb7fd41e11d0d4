#include "api/automation/domain_object.h"

#include <gtest/gtest.h>

#include <cstring>

#include "api/automation/automation_error.h"
#include "api/c/account_operations.h"
#include "api/c/domain_operations.h"
#include "core/config/init.h"
#include "core/context.h"
#include "schema/user_record.h"
#include "support/automation_installation.h"

namespace tarvelin::testing {
namespace {

using automation::DomainObject;
using automation::VarType;

constexpr const char* kAdministratorAliases =
    "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse";

class DomainObjectTest : public AutomationInstallation {
 protected:
  DomainObjectTest() : object_(Create("OrvikCOM.DomainObject")) {}

  DomainObject& domain() { return static_cast<DomainObject&>(*object_); }
  int32_t LastErr(const ObjectRef& object) {
    return static_cast<int32_t>(Call(object, "LastErr").integer());
  }
  bool Bool(const ObjectRef& object, std::string_view member, std::vector<Variant> args = {}) {
    Variant result = Call(object, member, std::move(args));
    EXPECT_EQ(result.type(), VarType::kBool) << member;
    return result.boolean();
  }
  // Adds an account through a new account object of the domain object.
  void AddAccount(const std::string& email) {
    Variant account = Call(object_, "NewAccount", {Text(email)});
    ASSERT_EQ(account.type(), VarType::kObject) << email;
    Call(account.object(), "SetProperty", {Text("U_Password"), Text("secret1")});
    ASSERT_TRUE(Call(account.object(), "Save").boolean()) << email;
  }
  // A second process's view: the installation as the files hold it now.
  int32_t IndexInFiles(const std::string& name) {
    Context reader;
    EXPECT_TRUE(Init(reader, dir_.path().c_str()).ok());
    return capi::GetDomainIndex(reader, name.c_str());
  }

  ObjectRef object_;
};

TEST_F(DomainObjectTest, FreshObjectIsANewDomainWithTheAdministratorAliases) {
  EXPECT_TRUE(domain().is_new());
  EXPECT_EQ(domain().index(), -1);
  EXPECT_EQ(Call(object_, "Name").text(), "");
  EXPECT_EQ(Call(object_, "GetProperty", {Text("D_AdministratorAlias")}).text(),
            kAdministratorAliases);
  EXPECT_EQ(Call(object_, "GetProperty", {I4(4)}).text(), kAdministratorAliases);
  EXPECT_EQ(LastErr(object_), 0);
}

TEST_F(DomainObjectTest, OpenFindsTheDomainInAnyCaseAndKeepsTheNameAsGiven) {
  EXPECT_TRUE(Bool(object_, "Open", {Text("OTHER.Org")}));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Call(object_, "Name").text(), "OTHER.Org");
  EXPECT_EQ(domain().index(), 1);
  EXPECT_FALSE(domain().is_new());
  // The record is the one in the domain's file, not New's.
  DomainRecord stored{};
  ASSERT_EQ(capi::LoadDomain(context_, 1, stored.data(), kDomainRecordSize), kDomainRecordSize);
  EXPECT_EQ(domain().record(), stored);
}

TEST_F(DomainObjectTest, OpenOfAnUnknownDomainAnswersFalseWithMinusOne) {
  EXPECT_FALSE(Bool(object_, "Open", {Text("nowhere.test")}));
  EXPECT_EQ(LastErr(object_), -1);
  EXPECT_FALSE(domain().is_new());
  EXPECT_EQ(Call(object_, "Name").text(), "nowhere.test");
}

TEST_F(DomainObjectTest, NamesAndAddressesAreTheObjectsOwnAndResetLastErr) {
  Call(object_, "Open", {Text("nowhere.test")});
  ASSERT_EQ(LastErr(object_), -1);
  Put(object_, "Name", Text("Renamed.Test"));
  EXPECT_EQ(LastErr(object_), 0);
  Call(object_, "Open", {Text("nowhere.test")});
  EXPECT_EQ(Call(object_, "Name").text(), "nowhere.test");
  EXPECT_EQ(LastErr(object_), 0);
  Put(object_, "IPAddress", Text("127.0.0.7;127.0.0.8"));
  Call(object_, "Open", {Text("nowhere.test")});
  Put(object_, "IPAddress", Text("127.0.0.7"));
  EXPECT_EQ(LastErr(object_), 0);
  Call(object_, "Open", {Text("nowhere.test")});
  EXPECT_EQ(Call(object_, "IPAddress").text(), "");
  EXPECT_EQ(LastErr(object_), 0);
}

TEST_F(DomainObjectTest, SaveOfANewDomainAddsItWithItsBindingAndWritesTheList) {
  EXPECT_TRUE(Bool(object_, "New", {Text("fresh.test")}));
  EXPECT_TRUE(Bool(object_, "SetProperty", {Text("D_DomainMBLimit"), I4(77)}));
  Put(object_, "IPAddress", Text("127.0.0.9"));
  EXPECT_TRUE(Bool(object_, "Save"));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_FALSE(domain().is_new());
  EXPECT_EQ(domain().index(), 2);
  EXPECT_EQ(IndexInFiles("fresh.test"), 2) << "domains.cfg was saved";

  ObjectRef reopened = Create("OrvikCOM.DomainObject");
  // A new object runs Init: the save above must not make it load another
  // installation.
  ASSERT_TRUE(Bool(reopened, "Open", {Text("fresh.test")})) << LastErr(reopened);
  EXPECT_EQ(Call(reopened, "GetProperty", {Text("D_DomainMBLimit")}).integer(), 77);
  EXPECT_EQ(Call(reopened, "GetProperty", {Text("D_AdministratorAlias")}).text(),
            kAdministratorAliases);
  EXPECT_EQ(Call(reopened, "IPAddress").text(), "127.0.0.9");
}

TEST_F(DomainObjectTest, SaveOfAnOpenedDomainWritesTheRecordAndTheBinding) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("example.org")}));
  EXPECT_TRUE(Bool(object_, "SetProperty", {Text("D_AdministratorAlias"), Text("boss")}));
  Put(object_, "IPAddress", Text("127.0.0.3"));
  EXPECT_TRUE(Bool(object_, "Save"));
  EXPECT_EQ(LastErr(object_), 0);

  ObjectRef reopened = Create("OrvikCOM.DomainObject");
  ASSERT_TRUE(Bool(reopened, "Open", {Text("example.org")}));
  EXPECT_EQ(Call(reopened, "GetProperty", {Text("D_AdministratorAlias")}).text(), "boss");
  EXPECT_EQ(Call(reopened, "IPAddress").text(), "127.0.0.3");
}

TEST_F(DomainObjectTest, SaveOfANewDomainWhoseNameIsRefusedAnswersFalse) {
  struct Case {
    const char* name;
  };
  for (const Case& c : {Case{"example.org"}, Case{"EXAMPLE.ORG"}, Case{""}}) {
    ObjectRef object = Create("OrvikCOM.DomainObject");
    Call(object, "New", {Text(c.name)});
    EXPECT_FALSE(Bool(object, "Save")) << c.name;
    EXPECT_EQ(LastErr(object), -1) << c.name;
    // The object is no longer new, whatever the outcome: another Save
    // finds no position to save at.
    EXPECT_FALSE(static_cast<DomainObject&>(*object).is_new()) << c.name;
    EXPECT_FALSE(Bool(object, "Save")) << c.name;
    EXPECT_EQ(LastErr(object), -3) << c.name;
  }
  EXPECT_EQ(capi::GetDomainCount(context_), 2);
}

TEST_F(DomainObjectTest, DeleteRemovesTheDomainAndLeavesAnEmptyNewObject) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("other.org")}));
  EXPECT_TRUE(Bool(object_, "Delete"));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(capi::GetDomainIndex(context_, "other.org"), -1);
  EXPECT_TRUE(domain().is_new());
  EXPECT_EQ(domain().index(), -1);
  EXPECT_EQ(Call(object_, "Name").text(), "");
  // Without New's values.
  EXPECT_EQ(Call(object_, "GetProperty", {Text("D_AdministratorAlias")}).text(), "");

  // Nothing to delete now: the position is outside the list.
  EXPECT_FALSE(Bool(object_, "Delete"));
  EXPECT_EQ(LastErr(object_), -3);
  EXPECT_EQ(capi::GetDomainCount(context_), 1);
}

TEST_F(DomainObjectTest, AccountsAreCountedListedAndFound) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("example.org")}));
  AddAccount("anna");
  AddAccount("bert@example.org");
  EXPECT_EQ(Call(object_, "GetAccountCount").integer(), 2);
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Call(object_, "GetAccountList").text(), std::string("anna;bert;\0", 11));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Call(object_, "GetAccount", {I4(1)}).text(), "bert");
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(Call(object_, "GetAccountIndexByAlias", {Text("BERT")}).integer(), 1);
  EXPECT_EQ(Call(object_, "GetAccountIndexByAlias", {Text(" bert @ Example.ORG")}).integer(), 1);

  struct Failure {
    const char* member;
    Variant argument;
    Variant expected;
  };
  for (const Failure& f : {Failure{"GetAccount", I4(5), Text("")},
                           Failure{"GetAccountIndexByAlias", Text("nobody"), I4(-1)},
                           Failure{"GetAccountIndexByAlias", Text("bert@other.org"), I4(-1)}}) {
    Variant result = Call(object_, f.member, {f.argument});
    EXPECT_EQ(result.type(), f.expected.type()) << f.member;
    EXPECT_EQ(result.integer(), f.expected.integer()) << f.member;
    EXPECT_EQ(result.text(), f.expected.text()) << f.member;
    EXPECT_EQ(LastErr(object_), -1) << f.member;
  }
}

TEST_F(DomainObjectTest, AnEmptyOrUnknownDomainListsNoAccounts) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("other.org")}));
  EXPECT_EQ(Call(object_, "GetAccountCount").integer(), 0);
  Variant list = Call(object_, "GetAccountList");
  EXPECT_EQ(list.type(), VarType::kText);
  EXPECT_EQ(list.text(), "");
  // No room at all for a list of no accounts: the export answers -3.
  EXPECT_EQ(LastErr(object_), -3);

  Call(object_, "Open", {Text("nowhere.test")});
  EXPECT_EQ(Call(object_, "GetAccountCount").integer(), -1);
  EXPECT_EQ(Call(object_, "GetAccountList").text(), "");
  EXPECT_LT(LastErr(object_), 0);
}

TEST_F(DomainObjectTest, DeleteAccountRemovesItFromTheFileAndRefusesUnknownOnes) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("example.org")}));
  AddAccount("anna");
  AddAccount("bert");
  EXPECT_TRUE(Bool(object_, "DeleteAccount", {Text("Anna")}));
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "anna"), -1);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "bert"), 0);

  for (const char* unknown : {"anna", "bert@other.org", "bert@nowhere.test"}) {
    EXPECT_FALSE(Bool(object_, "DeleteAccount", {Text(unknown)})) << unknown;
    EXPECT_EQ(LastErr(object_), -1) << unknown;
  }
  EXPECT_EQ(capi::GetUserCount(context_, "example.org"), 1);
}

TEST_F(DomainObjectTest, NewAccountWithoutADomainPartIsInTheObjectsDomain) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("OTHER.ORG")}));
  Variant account = Call(object_, "NewAccount", {Text("carl")});
  ASSERT_EQ(account.type(), VarType::kObject);
  EXPECT_EQ(Call(account.object(), "Domain").text(), "other.org");
  EXPECT_EQ(Call(account.object(), "EmailAddress").text(), "carl@other.org");
  Call(account.object(), "SetProperty", {Text("U_Password"), Text("secret1")});
  ASSERT_TRUE(Call(account.object(), "Save").boolean());
  EXPECT_EQ(capi::GetUserIndex(context_, "other.org", "carl"), 0);
  EXPECT_EQ(capi::GetUserCount(context_, "example.org"), 0);
}

TEST_F(DomainObjectTest, OpenAccountHandsOutAnOpenedAccountObject) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("example.org")}));
  AddAccount("anna");
  Variant account = Call(object_, "OpenAccount", {Text("anna")});
  ASSERT_EQ(account.type(), VarType::kObject);
  EXPECT_EQ(LastErr(object_), 0);
  EXPECT_EQ(account.object()->Class().ids.name, "AccountObject");
  EXPECT_EQ(Call(account.object(), "EmailAddress").text(), "anna@example.org");
  EXPECT_EQ(Call(account.object(), "GetProperty", {Text("U_Password")}).text(), "secret1");
}

TEST_F(DomainObjectTest, OpenAccountOfAnUnknownAccountIsEmptyWithTheChildsLastErr) {
  ASSERT_TRUE(Bool(object_, "Open", {Text("example.org")}));
  const size_t before = server_->live_objects();
  for (const char* unknown : {"nobody", "nobody@nowhere.test"}) {
    Variant account = Call(object_, "OpenAccount", {Text(unknown)});
    EXPECT_TRUE(account.empty()) << unknown;
    EXPECT_EQ(LastErr(object_), -1) << unknown;
  }
  EXPECT_EQ(server_->live_objects(), before) << "the children were released";
}

TEST_F(DomainObjectTest, DataIsTheAddressOfTheRecord) {
  Variant data = Call(object_, "Data");
  EXPECT_EQ(data.type(), VarType::kI8);
  const auto* bytes = reinterpret_cast<const uint8_t*>(static_cast<intptr_t>(data.integer()));
  EXPECT_EQ(bytes, domain().record().data());
  EXPECT_EQ(std::memcmp(bytes + 129, "postmaster;", 11), 0);
}

TEST_F(DomainObjectTest, UnknownPropertiesFailAndKeepLastErr) {
  Call(object_, "Open", {Text("nowhere.test")});
  for (const char* member : {"GetProperty", "SetProperty"}) {
    std::vector<Variant> args = {Text("D_NoSuchThing")};
    if (std::string_view(member) == "SetProperty") args.push_back(I4(1));
    automation::CallOutcome outcome = Try(object_, member, args);
    EXPECT_EQ(outcome.status, automation::DispatchStatus::kException) << member;
    EXPECT_EQ(outcome.message, "Property d_nosuchthing not found") << member;
    EXPECT_TRUE(outcome.result.empty()) << member;
    EXPECT_EQ(LastErr(object_), -1) << member;
  }
}

TEST(DomainObjectMembers, AreTheInterfaceSlotsInOrder) {
  struct Slot {
    std::string_view name;
    int32_t dispid;
    automation::CallKind kind;
    size_t params;
  };
  using automation::kMethod;
  using automation::kPropertyGet;
  using automation::kPropertyPut;
  const std::vector<Slot> expected = {
      {"LastErr", 0xc9, kPropertyGet, 0},
      {"Name", 0xca, kPropertyGet, 0},
      {"Name", 0xca, kPropertyPut, 1},
      {"IPAddress", 0xcb, kPropertyGet, 0},
      {"IPAddress", 0xcb, kPropertyPut, 1},
      {"Open", 0xcc, kMethod, 1},
      {"Save", 0xcd, kMethod, 0},
      {"New", 0xce, kMethod, 1},
      {"GetAccountCount", 0xcf, kMethod, 0},
      {"GetAccountList", 0xd0, kMethod, 0},
      {"GetAccount", 0xd1, kMethod, 1},
      {"DeleteAccount", 0xd2, kMethod, 1},
      {"Delete", 0xd3, kMethod, 0},
      {"GetProperty", 0xd4, kMethod, 1},
      {"SetProperty", 0xd5, kMethod, 2},
      {"OpenAccount", 0xd6, kMethod, 1},
      {"NewAccount", 0xd7, kMethod, 1},
      {"GetAccountIndexByAlias", 0xd8, kMethod, 1},
      {"Data", 0xd9, kPropertyGet, 0},
  };
  const std::vector<automation::Member>& members = DomainObject::Info().members;
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
