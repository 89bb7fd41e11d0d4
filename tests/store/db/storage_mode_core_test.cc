// Walks with queries, logins and the domain functions give the same
// answers in every storage mode: the files, SQLite and PostgreSQL through
// db.so.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "api/c/user_enum_state.h"
#include "core/accounts/account_operations.h"
#include "core/accounts/authenticate.h"
#include "core/domains/domain_operations.h"
#include "core/ops/domain_rename_delete.h"
#include "foundation/bytes.h"
#include "schema/domain_record_layout.h"
#include "support/status_testing.h"
#include "support/storage_modes.h"
#include "support/users_file_builder.h"

namespace tarvelin::testing {
namespace {

const auto kAllModes =
    ::testing::Values(StorageMode::kFiles, StorageMode::kSqlite, StorageMode::kPostgres);

class CoreModes : public StorageModeTest {
 protected:
  void SetUp() override {
    StorageModeTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    context().set_auth_sleep([](int) {});
  }
  void AddAll(const std::string& domain, const std::vector<UserRecord>& records) {
    for (const UserRecord& record : records) {
      const Result<int> added = AddAccount(context(), domain, record, "");
      ASSERT_TRUE(added.ok()) << added.status().ToString();
    }
  }
  // Positions and primary aliases a walk of the C API delivers.
  std::vector<std::pair<int, std::string>> Walk(const std::string& domain,
                                                const std::string& query) {
    std::vector<std::pair<int, std::string>> seen;
    UserEnumState state;
    if (!StartUserWalk(context(), domain, query, 0, &state)) return seen;
    while (AdvanceUserWalk(context(), &state)) {
      UserRecord record;
      std::copy_n(state.begin() + walk_offsets::kRecord, kUserRecordSize, record.begin());
      seen.emplace_back(WalkIndex(state), PrimaryAliasOf(record));
    }
    EndUserWalk(context(), &state);
    return seen;
  }
  bool LogIn(const std::string& login, const std::string& secret, std::string* domain = nullptr) {
    AuthRequest request;
    request.login = login;
    request.secret = secret;
    AuthResult result;
    const bool accepted = AuthenticateAccount(context(), request, &result, nullptr);
    if (accepted && domain != nullptr) *domain = result.domain;
    return accepted;
  }
};

using Walked = std::vector<std::pair<int, std::string>>;

TEST_P(CoreModes, WalksApplyTheirQuery) {
  AddAll("example.org", {MakeUser("anna", "anna", "pw"), MakeRecord("team", "", kGroupAccount),
                         MakeUser("bert", "bert", "pw"), MakeRecord("news", "", 1)});
  EXPECT_EQ(Walk("example.org", ""), (Walked{{0, "anna"}, {1, "team"}, {2, "bert"}, {3, "news"}}));
  EXPECT_EQ(Walk("example.org", "U_Type = 0"), (Walked{{0, "anna"}, {2, "bert"}}));
  EXPECT_EQ(Walk("example.org", "U_Type = 7"), (Walked{{1, "team"}}));
  EXPECT_EQ(Walk("other.org", ""), Walked{});
}

TEST_P(CoreModes, LoginsFindTheirAccount) {
  AddAll("example.org", {MakeUser("anna", "anna", "secret1")});
  AddAll("other.org", {MakeUser("bert", "bert@other.org", "secret2")});
  std::string domain;
  EXPECT_TRUE(LogIn("anna", "secret1", &domain));
  EXPECT_EQ(domain, "example.org");
  EXPECT_TRUE(LogIn("  ANNA ", "secret1")) << "logins are trimmed and lower-cased";
  EXPECT_TRUE(LogIn("anna", "secret1")) << "again, now through the cache";
  EXPECT_FALSE(LogIn("anna", "wrong"));
  EXPECT_FALSE(LogIn("nobody", "secret1"));
  EXPECT_TRUE(LogIn("bert@other.org", "secret2", &domain));
  EXPECT_EQ(domain, "other.org");
  EXPECT_FALSE(LogIn("bert@unknown.org", "secret2")) << "a login at an unknown domain";
}

TEST_P(CoreModes, DomainFunctions) {
  Context& c = context();
  EXPECT_EQ(DomainNames(c), (std::vector<std::string>{"example.org", "other.org"}));
  ASSERT_TRUE(AddDomain(c, "Third.org", DomainRecord{}).ok());
  EXPECT_EQ(AddDomain(c, "third.org", DomainRecord{}), StatusCode::kAlreadyExists);

  DomainRecord record{};
  record[domain_offsets::kType] = 2;
  PutPString(record.data() + domain_offsets::kValue, 62, "example.org");
  ASSERT_TRUE(SaveDomain(c, 2, record).ok());
  EXPECT_EQ(*LoadDomain(c, 2), record);

  ASSERT_TRUE(SetDomainBinding(c, 1, "192.0.2.7").ok());
  EXPECT_EQ(*DomainBinding(c, 1), "192.0.2.7");

  AddAll("other.org", {MakeUser("bert", "bert", "pw")});
  ASSERT_TRUE(RenameDomain(c, "other.org", "renamed.org").ok());
  EXPECT_EQ(DomainNames(c), (std::vector<std::string>{"example.org", "renamed.org", "third.org"}));
  EXPECT_EQ(PrimaryAliases(c, "renamed.org"), std::vector<std::string>{"bert"})
      << "the accounts follow the rename";
  EXPECT_EQ(*DomainBinding(c, 1), "192.0.2.7") << "so does the binding";

  ASSERT_TRUE(DeleteDomain(c, 0).ok());
  EXPECT_EQ(DomainNames(c), (std::vector<std::string>{"renamed.org", "third.org"}));

  // Another program sees the same list and records.
  std::unique_ptr<Context> other = installation().Reopen();
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(DomainNames(*other), (std::vector<std::string>{"renamed.org", "third.org"}));
  EXPECT_EQ(*LoadDomain(*other, 1), record);
  EXPECT_EQ(PrimaryAliases(*other, "renamed.org"), std::vector<std::string>{"bert"});
}

INSTANTIATE_TEST_SUITE_P(AllModes, CoreModes, kAllModes, StorageModeName);

}  // namespace
}  // namespace tarvelin::testing
