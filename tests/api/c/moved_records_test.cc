// Saves and deletes by position while another program deletes: a position
// that no longer holds the record the caller loaded there is refused,
// nothing changed, instead of overwriting or removing the neighbour that
// moved into it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/c/account_operations.h"
#include "api/c/remote_operations.h"
#include "core/accounts/account_installation.h"
#include "core/accounts/account_operations.h"
#include "core/remote/remote_operations.h"
#include "schema/remote_record_layout.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;
using testing::SetText;
using testing::TextOf;

constexpr int kDisplayName = 4;

UserRecord Named(const std::string& aliases, const std::string& name) {
  UserRecord record = MakeRecord(aliases, "pw");
  SetText(record, kDisplayName, 254, name);
  return record;
}

RemoteAccountRecord Remote(const std::string& server, const std::string& login) {
  RemoteAccountRecord record{};
  PutPString(record.data() + remote_offsets::kServer, remote_offsets::kServerCapacity, server);
  PutPString(record.data() + remote_offsets::kLogin, remote_offsets::kLoginCapacity, login);
  return record;
}

class MovedRecordsTest : public testing::AccountInstallation {
 protected:
  MovedRecordsTest() {
    PutUsers("example.org", {Named("ann", "Ann"), Named("bob", "Bob"), Named("cid", "Cid")});
    other_.api = context_.api;
    other_.config.record = context_.config.record;
    other_.domains().Load();
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const UserRecord& record : Users("example.org")) {
      names.push_back(TextOf(record, kDisplayName, 254));
    }
    return names;
  }

  // Another program, with a Context (and locks) of its own.
  Context other_;
};

// The core operations, given the identity the caller loaded.
TEST_F(MovedRecordsTest, ASaveOrDeleteAtAMovedPositionIsRefusedAndChangesNothing) {
  const std::string bob = AccountIdentity(Named("bob", ""));
  const struct {
    const char* what;
    std::function<Status(Context&)> change;
  } cases[] = {
      {"save bob where cid now is",
       [&](Context& c) { return SaveAccount(c, "example.org", 1, Named("bob", "Bobby"), "", bob); }},
      {"delete bob where cid now is",
       [&](Context& c) { return DeleteAccount(c, "example.org", 1, "", bob); }},
      {"delete bob past the end",
       [&](Context& c) { return DeleteAccount(c, "example.org", 2, "", bob); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PutUsers("example.org", {Named("ann", "Ann"), Named("bob", "Bob"), Named("cid", "Cid")});
    ASSERT_TRUE(DeleteAccount(other_, "example.org", 0, "").ok());
    const Status status = c.change(context_);
    EXPECT_TRUE(status.Is(StatusCode::kNotFound)) << status.ToString();
    EXPECT_NE(status.message().find("no longer \"bob\""), std::string::npos) << status.ToString();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Bob", "Cid"}));
  }
}

TEST_F(MovedRecordsTest, ASaveGoesAheadWhileThePositionHoldsTheLoadedOrTheSavedAccount) {
  const std::string bob = AccountIdentity(Named("bob", ""));
  // Another program added an account: bob stays where he was.
  ASSERT_TRUE(AddAccount(other_, "example.org", Named("dan", "Dan"), "").ok());
  ASSERT_TRUE(SaveAccount(context_, "example.org", 1, Named("Bob", "Bobby"), "", bob).ok());
  // A record of the account now there (a walk handed it out) is its own.
  ASSERT_TRUE(DeleteAccount(other_, "example.org", 0, "").ok());
  ASSERT_TRUE(SaveAccount(context_, "example.org", 1, Named("cid", "Cidney"), "", bob).ok());
  EXPECT_EQ(Names(), (std::vector<std::string>{"Bobby", "Cidney", "Dan"}));
}

// The C exports remember what LoadUser handed out.
TEST_F(MovedRecordsTest, SaveUserAndDeleteUserCheckWhatLoadUserHandedOut) {
  UserRecord buffer{};
  ASSERT_EQ(capi::LoadUser(context_, "example.org", 1, buffer.data(), kUserRecordSize),
            kUserRecordSize);
  ASSERT_TRUE(DeleteAccount(other_, "example.org", 0, "").ok());
  SetText(buffer, kDisplayName, 254, "Bobby");
  EXPECT_EQ(capi::SaveUser(context_, "example.org", 1, buffer.data(), kUserRecordSize), -1);
  EXPECT_EQ(capi::DeleteUser(context_, "example.org", 1), -1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Bob", "Cid"}));

  // Loaded again, the position is bob's own.
  ASSERT_EQ(capi::LoadUser(context_, "example.org", 0, buffer.data(), kUserRecordSize),
            kUserRecordSize);
  SetText(buffer, kDisplayName, 254, "Bobby");
  EXPECT_EQ(capi::SaveUser(context_, "example.org", 0, buffer.data(), kUserRecordSize), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Bobby", "Cid"}));
}

TEST_F(MovedRecordsTest, OwnDeletesMoveTheNotesWithTheAccounts) {
  UserRecord cid{};
  ASSERT_EQ(capi::LoadUser(context_, "example.org", 2, cid.data(), kUserRecordSize),
            kUserRecordSize);
  UserRecord ann{};
  ASSERT_EQ(capi::LoadUser(context_, "example.org", 0, ann.data(), kUserRecordSize),
            kUserRecordSize);
  ASSERT_EQ(capi::DeleteUser(context_, "example.org", 0), 0);
  // cid is at 1 now, and this caller knows it.
  SetText(cid, kDisplayName, 254, "Cidney");
  EXPECT_EQ(capi::SaveUser(context_, "example.org", 1, cid.data(), kUserRecordSize), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Bob", "Cidney"}));
}

TEST_F(MovedRecordsTest, RemoteAccountsAtAMovedPositionAreRefused) {
  for (const auto& [server, login] : {std::pair{"a.example", "ann"}, {"b.example", "bob"},
                                      {"c.example", "cid"}}) {
    ASSERT_TRUE(SaveRemoteAccount(context_, -1, Remote(server, login)).ok());
  }
  RemoteAccountRecord bob{};
  ASSERT_EQ(capi::LoadRA(context_, 1, bob.data(), kRemoteRecordSize), kRemoteRecordSize);
  ASSERT_TRUE(DeleteRemoteAccount(other_, 0).ok());
  PutPString(bob.data() + 1054, 127, "secret");
  EXPECT_EQ(capi::SaveRA(context_, 1, bob.data(), kRemoteRecordSize), -1);
  EXPECT_EQ(capi::DeleteRA(context_, 1), -1);
  const Status core = DeleteRemoteAccount(context_, 1, RemoteIdentity(Remote("B.example", "bob")));
  EXPECT_TRUE(core.Is(StatusCode::kNotFound)) << core.ToString();
  ASSERT_EQ(RemoteAccountCount(context_), 2);
  EXPECT_EQ(RemoteIdentity(*LoadRemoteAccount(context_, 1)), RemoteIdentity(Remote("c.example", "cid")));

  // The server's letter case does not make another account.
  EXPECT_TRUE(
      SaveRemoteAccount(context_, 0, bob, RemoteIdentity(Remote("B.EXAMPLE", "bob"))).ok());
  EXPECT_TRUE(DeleteRemoteAccount(context_, 1, RemoteIdentity(Remote("c.example", "cid"))).ok());
  EXPECT_EQ(RemoteAccountCount(context_), 1);
}

}  // namespace
}  // namespace tarvelin
