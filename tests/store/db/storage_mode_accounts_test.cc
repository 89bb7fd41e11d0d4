// The account store and the account operations give the same answers in
// every storage mode: the files, SQLite and PostgreSQL through db.so.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "support/status_testing.h"
#include "support/storage_modes.h"
#include "support/users_file_builder.h"

namespace tarvelin::testing {
namespace {

class AccountStoreModes : public StorageModeTest {
 protected:
  int Add(const std::string& domain, const UserRecord& record) {
    int position = -1;
    const Status written = context().accounts().Write(domain, record, &position);
    EXPECT_TRUE(written.ok()) << written.ToString();
    return position;
  }
  std::vector<std::string> Aliases(const std::string& domain) {
    std::vector<std::string> aliases;
    std::unique_ptr<AccountIterator> walk = context().accounts().NewIterator(domain);
    if (walk == nullptr) return aliases;
    for (walk->Seek(0); walk->Valid(); walk->Next()) aliases.push_back(AliasListOf(walk->record()));
    return aliases;
  }
};

TEST_P(AccountStoreModes, WritesLoadsAndFindsByPosition) {
  AccountStore& accounts = context().accounts();
  EXPECT_EQ(accounts.Count("example.org"), 0);
  EXPECT_EQ(Add("example.org", MakeUser("anna;a.smith", "anna", "pw1")), 0);
  EXPECT_EQ(Add("example.org", MakeUser("bert", "bert", "pw2")), 1);
  EXPECT_EQ(Add("other.org", MakeUser("anna", "anna2", "pw3")), 0);
  EXPECT_EQ(accounts.Count("example.org"), 2);

  UserRecord record{};
  EXPECT_EQ(accounts.Load("example.org", 1, &record), 2);
  EXPECT_EQ(AliasListOf(record), "bert");
  EXPECT_EQ(PasswordOf(record), "pw2") << "records come back with the plain password";
  EXPECT_EQ(accounts.Load("example.org", 5, &record), 2);
  EXPECT_EQ(record, UserRecord{}) << "a position past the end gives a zero record";

  // Group items ("[team]") of alias lists are left out: db.so cannot read
  // groups.dat, so only the files match them.
  EXPECT_EQ(accounts.PositionOfAlias("example.org", "a.smith"), 0);
  EXPECT_EQ(accounts.PositionOfAlias("example.org", "BERT"), 1);
  EXPECT_EQ(accounts.PositionOfAlias("example.org", "nobody"), -1);

  for (const bool use_cache : {false, true, true}) {
    int position = -1;
    ASSERT_TRUE(accounts.FindByAlias("example.org", "a.smith", use_cache, &record, &position));
    EXPECT_EQ(position, 0);
    EXPECT_EQ(MailboxNameOf(record), "anna");
  }
  int position = -1;
  EXPECT_FALSE(accounts.FindByAlias("example.org", "nobody", true, &record, &position));
  EXPECT_EQ(accounts.PositionsOfMailbox("example.org", "bert"), std::vector<int>{1});
}

TEST_P(AccountStoreModes, ReplacesAndRemovesByPosition) {
  AccountStore& accounts = context().accounts();
  for (const char* alias : {"anna", "bert", "carl"}) Add("example.org", MakeUser(alias, alias, "pw"));
  int position = 1;
  ASSERT_TRUE(accounts.Write("example.org", MakeUser("berta", "berta", "new"), &position).ok());
  EXPECT_EQ(position, 1);
  EXPECT_EQ(Aliases("example.org"), (std::vector<std::string>{"anna", "berta", "carl"}));

  UserRecord removed{};
  ASSERT_TRUE(accounts.Remove("example.org", 0, &removed).ok());
  EXPECT_EQ(AliasListOf(removed), "anna");
  EXPECT_EQ(Aliases("example.org"), (std::vector<std::string>{"berta", "carl"}))
      << "later accounts move down one position";
  EXPECT_EQ(accounts.PositionOfAlias("example.org", "carl"), 1);

  int none = -1;
  EXPECT_FALSE(accounts.Write("example.org", MakeRecord(""), &none).ok())
      << "an account without aliases is not stored";
  EXPECT_EQ(accounts.Count("example.org"), 2);
}

TEST_P(AccountStoreModes, AWalkSeesTheAccountsAsTheyWereWhenItBegan) {
  for (const char* alias : {"anna", "bert"}) Add("example.org", MakeUser(alias, alias, "pw"));
  std::unique_ptr<AccountIterator> walk = context().accounts().NewIterator("example.org");
  ASSERT_NE(walk, nullptr);
  Add("example.org", MakeUser("carl", "carl", "pw"));
  EXPECT_EQ(walk->count(), 2);
  std::vector<std::string> seen;
  for (walk->Seek(0); walk->Valid(); walk->Next()) seen.push_back(AliasListOf(walk->record()));
  EXPECT_EQ(seen, (std::vector<std::string>{"anna", "bert"}));
}

TEST_P(AccountStoreModes, OperationsOfTheCore) {
  Context& c = context();
  ASSERT_TRUE(AddAccount(c, "example.org", MakeUser("anna", "anna", "pw1"), "").ok());
  ASSERT_TRUE(AddAccount(c, "example.org", MakeUser("bert", "bert", "pw2"), "").ok());
  EXPECT_EQ(AddAccount(c, "example.org", MakeUser("x;ANNA", "x", "pw3"), "").status(),
            StatusCode::kAlreadyExists);

  // A rename: the account gets other aliases at its position.
  Result<UserRecord> loaded = LoadAccount(c, "example.org", 0);
  ASSERT_TRUE(loaded.ok());
  UserRecord renamed = MakeUser("annabel", "anna", "pw1");
  ASSERT_TRUE(SaveAccount(c, "example.org", 0, renamed, "", AccountIdentity(*loaded)).ok());
  FoundAccount found;
  EXPECT_TRUE(FindAccount(c, "annabel@example.org", false, &found));
  EXPECT_EQ(found.position, 0);
  EXPECT_FALSE(FindAccount(c, "anna@example.org", false, &found));

  ASSERT_TRUE(DeleteAccount(c, "example.org", 0, "").ok());
  EXPECT_EQ(PrimaryAliases(c, "example.org"), std::vector<std::string>{"bert"});

  // Another program sees the same.
  std::unique_ptr<Context> other = installation().Reopen();
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(PrimaryAliases(*other, "example.org"), std::vector<std::string>{"bert"});
  EXPECT_EQ(std::filesystem::exists(installation().install() + "config/example.org/users.cfg"),
            GetParam() == StorageMode::kFiles)
      << "the database modes keep their accounts in the database alone";
}

TEST_P(AccountStoreModes, ALoginNameTakenWithTheSamePasswordIsRefused) {
  Context& c = context();
  ASSERT_TRUE(AddAccount(c, "example.org", MakeUser("anna", "shared", "pw"), "").ok());
  EXPECT_EQ(AddAccount(c, "other.org", MakeUser("bert", "shared", "pw"), "").status(),
            StatusCode::kRefused);
  EXPECT_TRUE(AddAccount(c, "other.org", MakeUser("bert", "shared", "other"), "").ok());
}

INSTANTIATE_TEST_SUITE_P(AllModes, AccountStoreModes,
                         ::testing::Values(StorageMode::kFiles, StorageMode::kSqlite,
                                           StorageMode::kPostgres),
                         StorageModeName);

}  // namespace
}  // namespace tarvelin::testing
