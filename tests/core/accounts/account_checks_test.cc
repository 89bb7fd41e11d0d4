#include "core/accounts/account_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "schema/user_record_offsets.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "platform/local_now.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;
using testing::TempDir;

constexpr int kAliasLogin = 3631;
constexpr int kRecordAccess = 3632;         // variable 116
constexpr int kRecordAccessBuiltIn = 7005;  // variable 141, on in a new record
constexpr int kAccountState = 644;
constexpr int kInactivity = 660;

class AccountChecksTest : public ::testing::Test {
 protected:
  AccountChecksTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    context_.api.initialised = true;
    context_.config.record.SetText(offsets::kMailRoot, dir_.path() + "mail/");
    dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.org", "b.org", "c.org"}));
    context_.config.record.SetNumber(offsets::kDomainCount, 4, 3);
    context_.domains().Load();
  }
  void PutUsers(const std::string& domain, const std::vector<UserRecord>& records) {
    dir_.Write("config/" + domain + "/users.cfg", FileOf(records));
  }

  TempDir dir_;
  Context context_;
};

TEST_F(AccountChecksTest, DisabledExpiredAndInactiveAccountsAreRefused) {
  context_.config.record.SetByte(kRecordAccessBuiltIn, 0);
  UserRecord user = testing::MakeUser("ann", "ann", "pw", "a.org\\ann\\");
  EXPECT_TRUE(ValidateAccountAccess(context_, user));
  EXPECT_TRUE(dir_.Exists("mail/a.org/ann")) << "the mail folder is created";
  EXPECT_FALSE(dir_.Exists("mail/a.org/ann/useraccess.dat"));

  UserRecord disabled = user;
  disabled[kAccountState] = 1;
  EXPECT_FALSE(ValidateAccountAccess(context_, disabled));

  UserRecord expiring = user;
  expiring[user_offsets::kAccountExpires] = 1;
  PutDouble(expiring.data() + user_offsets::kAccountExpiryDate, LocalNowAsDateTime(context_.env()) - 1);
  EXPECT_FALSE(ValidateAccountAccess(context_, expiring));
  PutDouble(expiring.data() + user_offsets::kAccountExpiryDate, LocalNowAsDateTime(context_.env()));
  EXPECT_TRUE(ValidateAccountAccess(context_, expiring)) << "valid through its last day";

  UserRecord idle = user;
  PutLE(idle.data() + kInactivity, 4, 2u << 16);
  EXPECT_TRUE(ValidateAccountAccess(context_, idle)) << "no active.dat yet";
  dir_.Write("mail/a.org/ann/active.dat", "");
  const std::string active = dir_.path() + "mail/a.org/ann/active.dat";
  const time_t three_days_ago = time(nullptr) - 3 * 86400 - 60;
  utimbuf times{three_days_ago, three_days_ago};
  ASSERT_EQ(utime(active.c_str(), &times), 0);
  EXPECT_FALSE(ValidateAccountAccess(context_, idle));
  PutLE(idle.data() + kInactivity, 4, 3u << 16);
  EXPECT_TRUE(ValidateAccountAccess(context_, idle)) << "three days are not above three";

  EXPECT_TRUE(ValidateAccountAccess(context_, MakeRecord("list", "", 1)));
}

TEST_F(AccountChecksTest, AccessIsRecordedWhenAsked) {
  context_.config.record.SetByte(kRecordAccess, 1);
  EXPECT_TRUE(ValidateAccountAccess(context_, testing::MakeUser("ann", "ann", "pw", "a.org/ann/")));
  const std::string bytes = dir_.Read("mail/a.org/ann/useraccess.dat");
  ASSERT_EQ(bytes.size(), 160u);
  const double when = GetDouble(reinterpret_cast<const uint8_t*>(bytes.data()) + 16);
  EXPECT_NEAR(when, LocalNowAsDateTime(context_.env()), 0.001);
}

TEST_F(AccountChecksTest, MailboxConflicts) {
  PutUsers("a.org", {testing::MakeUser("ann", "Box", "pw"), MakeRecord("box", "", 1)});
  PutUsers("b.org", {testing::MakeUser("bob", "other", "pw")});
  const struct {
    const char* mailbox;
    const char* password;
    const char* aliases;
    const char* domain;
    bool conflict;
    const char* holder;
  } cases[] = {
      {"box", "pw", "someone", "a.org", true, "ann@a.org"},  // same domain, other aliases
      {"BOX", "pw", "ann", "a.org", false, ""},              // the account itself
      {"box", "pw", "ann", "b.org", true, "ann@a.org"},      // another domain
      {"box", "PW", "someone", "a.org", false, ""},          // other password
      {"other", "pw", "x", "b.org", true, "bob@b.org"},      //
      {"nobody", "pw", "x", "a.org", false, ""},             //
  };
  for (const auto& c : cases) {
    std::string holder;
    EXPECT_EQ(FindMailboxConflict(context_, c.mailbox, c.password, c.aliases, c.domain, &holder),
              c.conflict)
        << c.mailbox << " " << c.domain;
    EXPECT_EQ(holder, c.holder) << c.mailbox << " " << c.domain;
  }
  context_.config.record.SetByte(kAliasLogin, 1);
  EXPECT_FALSE(FindMailboxConflict(context_, "box", "pw", "someone", "a.org"));
}

TEST_F(AccountChecksTest, ABoundDomainLooksOnlyAtDomainsSharingAnAddress) {
  PutUsers("a.org", {testing::MakeUser("ann", "box", "pw")});
  PutUsers("b.org", {testing::MakeUser("bob", "other", "pw")});
  ASSERT_TRUE(context_.domains().SetBinding(1, "192.0.2.1"));
  ASSERT_TRUE(context_.domains().SetBinding(2, "192.0.2.1;192.0.2.2"));
  EXPECT_FALSE(FindMailboxConflict(context_, "box", "pw", "x", "c.org"))
      << "a.org shares no address with c.org";
  EXPECT_TRUE(FindMailboxConflict(context_, "other", "pw", "x", "c.org"));
  EXPECT_TRUE(FindMailboxConflict(context_, "box", "pw", "x", "a.org")) << "unbound: all";
}

TEST_F(AccountChecksTest, ConflictsFollowAppendsAndForeignRewrites) {
  PutUsers("a.org", {testing::MakeUser("ann", "box", "pw")});
  EXPECT_FALSE(FindMailboxConflict(context_, "new", "pw", "x", "a.org"));
  int position = -1;
  ASSERT_TRUE(WriteAccountAt(context_, "a.org", testing::MakeUser("nina", "NEW", "pw"), &position).ok());
  EXPECT_EQ(position, 1);
  EXPECT_TRUE(FindMailboxConflict(context_, "new", "pw", "x", "a.org")) << "the appended one";
  EXPECT_TRUE(FindMailboxConflict(context_, "box", "pw", "x", "a.org"));
  PutUsers("a.org",
           {testing::MakeUser("ann", "other", "pw")});  // another program rewrites the file
  EXPECT_FALSE(FindMailboxConflict(context_, "new", "pw", "x", "a.org"));
  EXPECT_FALSE(FindMailboxConflict(context_, "box", "pw", "x", "a.org"));
  EXPECT_TRUE(FindMailboxConflict(context_, "other", "pw", "x", "a.org"));
}

}  // namespace
}  // namespace tarvelin
