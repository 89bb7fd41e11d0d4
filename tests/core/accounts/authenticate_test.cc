#include "core/accounts/authenticate.h"

#include <gtest/gtest.h>

#include "support/store_probe.h"

#include <string>
#include <vector>

#include "store/file/account_cache.h"
#include "core/accounts/external_logon.h"
#include "mailstore/login_files.h"
#include "schema/user_record_offsets.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;
using testing::TempDir;

constexpr int kAliasLogin = 3631;
constexpr int kMapLoginCharacters = 3638;
constexpr int kCountFailures = 20433;
constexpr int kFailureLimit = 20436;
constexpr int kLockMinutes = 20440;
constexpr int kInactivity = 660;

UserRecord User(const std::string& aliases, const std::string& mailbox, const std::string& password,
                uint8_t mode = 0, const std::string& folder = "") {
  UserRecord record = testing::MakeUser(aliases, mailbox, password, folder);
  record[user_offsets::kAuthMode] = mode;
  return record;
}

std::string MailboxOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kMailbox, 127);
}

class AuthenticateTest : public ::testing::Test {
 protected:
  AuthenticateTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    context_.api.initialised = true;
    context_.config.record.SetText(offsets::kMailRoot, dir_.path() + "mail/");
    const std::vector<std::string> names = {"example.org", "other.org", "alias.org"};
    dir_.Write("config/domains.cfg", testing::DomainsFileOf(names));
    context_.config.record.SetNumber(offsets::kDomainCount, 4, 3);
    context_.domains().Load();
    context_.accounts().SetUpCache();
    context_.set_auth_sleep([this](int seconds) { waits_.push_back(seconds); });
  }
  void PutUsers(const std::string& domain, const std::vector<UserRecord>& records) {
    dir_.Write("config/" + domain + "/users.cfg", FileOf(records));
  }
  void SetDomainAlias(const std::string& domain, const std::string& target) {
    std::string bytes(1169, '\0');
    auto* data = reinterpret_cast<uint8_t*>(bytes.data());
    data[64] = 2;
    PutPString(data + 65, 62, target);
    ScrambleBytes(data, bytes.size(), 0);
    dir_.Write("config/" + domain + "/domain.cfg", bytes);
  }
  bool Login(const std::string& login, const std::string& secret, const std::string& address = "",
             HashMethod method = HashMethod::kPlain, const std::string& challenge = "") {
    AuthRequest request;
    request.login = login;
    request.secret = secret;
    request.address = address;
    request.method = method;
    request.challenge = challenge;
    result_ = AuthResult{};
    return AuthenticateAccount(context_, request, &result_);
  }
  void Set(int offset, uint32_t value, int width = 1) {
    context_.config.record.SetNumber(offset, width, value);
  }

  TempDir dir_;
  Context context_;
  AuthResult result_;
  std::vector<int> waits_;
};

TEST_F(AuthenticateTest, MailboxLoginsMatchTheWholeLoginInAnyDomain) {
  PutUsers("example.org", {User("list", "", "", 0), User("ann", "ann", "pw1")});
  PutUsers("other.org", {User("bob", "bob", "pw2"), User("c", "carl@other.org", "pw3")});
  EXPECT_TRUE(Login("  BOB ", "pw2"));
  EXPECT_EQ(result_.domain, "other.org");
  EXPECT_EQ(MailboxOf(result_.record), "bob");
  EXPECT_EQ(testing::PasswordOf(result_.record), "pw2") << "the record carries the plain password";
  EXPECT_TRUE(waits_.empty());

  EXPECT_FALSE(Login("bob@other.org", "pw2")) << "the mailbox name is the whole login";
  EXPECT_TRUE(Login("Carl@Other.org", "pw3"));
  EXPECT_FALSE(Login("ann", "PW1")) << "passwords are case-sensitive";
  EXPECT_EQ(waits_, (std::vector<int>{3, 3}));
}

TEST_F(AuthenticateTest, CharacterMappingTurnsPercentAmpersandAndSlashIntoAt) {
  PutUsers("example.org", {User("c", "carl@example.org", "pw")});
  EXPECT_FALSE(Login("carl%example.org", "pw"));
  Set(kMapLoginCharacters, 1);
  for (const char* login : {"carl%example.org", "carl&example.org", "carl/example.org"}) {
    EXPECT_TRUE(Login(login, "pw")) << login;
  }
}

TEST_F(AuthenticateTest, AliasLoginsNeedTheDomainAndFollowADomainAlias) {
  Set(kAliasLogin, 1);
  PutUsers("example.org", {User("ann;annie", "box1", "pw1"), User("[staff]", "box2", "pw2")});
  PutUsers("other.org", {User("ann", "box3", "pw3")});
  dir_.Write("config/groups.dat", "staff\r\nzed\r\n");
  SetDomainAlias("alias.org", "example.org");

  EXPECT_TRUE(Login("Annie@Example.org", "pw1"));
  EXPECT_EQ(result_.domain, "example.org");
  EXPECT_TRUE(Login("zed@example.org", "pw2")) << "a group in the alias list";
  EXPECT_FALSE(Login("ann", "pw1")) << "no domain: no search at all";
  EXPECT_TRUE(Login("ann@other.org", "pw3"));
  EXPECT_FALSE(Login("ann@other.org", "pw1")) << "only the login's domain";
  EXPECT_TRUE(Login("ann@alias.org", "pw1")) << "through the domain alias";
  EXPECT_EQ(result_.domain, "example.org");
  EXPECT_FALSE(Login("ann@alias.org", "nope"));
  EXPECT_EQ(waits_, (std::vector<int>{3, 3, 3})) << "the retry does not wait on its own";
}

TEST_F(AuthenticateTest, ModeThreeTakesAnySecretAndOtherTypesNever) {
  PutUsers("example.org", {User("x", "open", "pw", 3)});
  PutUsers("other.org", {MakeRecord("list", "", 1)});
  EXPECT_TRUE(Login("open", "anything"));
  EXPECT_TRUE(Login("open", ""));
  EXPECT_FALSE(Login("", ""));
}

TEST_F(AuthenticateTest, ChallengeMethodsCompareLowerCaseDigests) {
  PutUsers("example.org", {User("tim", "tim", "tanstaaftanstaaf")});
  const std::string challenge = "<1896.697170952@postoffice.reston.mci.net>";
  EXPECT_TRUE(
      Login("tim", "b913a602c7eda7a495b4e6e7334d3890", "", HashMethod::kCramMd5, challenge));
  EXPECT_FALSE(
      Login("tim", "B913A602C7EDA7A495B4E6E7334D3890", "", HashMethod::kCramMd5, challenge));
}

TEST_F(AuthenticateTest, FailuresAreCountedAndLockLengthensTheWait) {
  Set(kCountFailures, 1);
  Set(kFailureLimit, 3, 4);
  Set(kLockMinutes, 10, 4);
  PutUsers("example.org", {User("ann", "ann", "right", 0, "example.org/ann/")});
  const std::string folder = dir_.path() + "mail/example.org/ann/";
  for (int i = 1; i <= 2; ++i) {
    EXPECT_FALSE(Login("ann", "wrong"));
    EXPECT_EQ(ReadLoginFailures(context_.env(), folder).count(), i);
  }
  EXPECT_EQ(waits_, (std::vector<int>{3, 3}));
  waits_.clear();
  EXPECT_FALSE(Login("ann", "wrong"));
  EXPECT_EQ(waits_, (std::vector<int>{3, 20})) << "the third failure reaches the limit";
  EXPECT_TRUE(Login("ann", "right")) << "a locked account still takes the right password";
  EXPECT_FALSE(dir_.Exists("mail/example.org/ann/login.dat"));
}

TEST_F(AuthenticateTest, BoundDomainsWantTheirAddress) {
  PutUsers("example.org", {User("ann", "ann", "pw")});
  ASSERT_TRUE(context_.domains().SetBinding(0, "192.0.2.1;192.0.2.2"));
  EXPECT_FALSE(Login("ann", "pw", "198.51.100.7"));
  EXPECT_TRUE(Login("ann", "pw", ""));
  EXPECT_TRUE(Login("ann", "pw", "192.0.2.2"));
}

TEST_F(AuthenticateTest, ARefusalSaysWhyToWhoeverAsks) {
  Set(kCountFailures, 1);
  Set(kFailureLimit, 2, 4);
  Set(kLockMinutes, 10, 4);
  PutUsers("example.org", {User("ann", "ann", "pw"), User("bob", "bob", "pw", 0, "example.org/bob/"),
                           MakeRecord("list", "", 1)});
  ASSERT_TRUE(context_.domains().SetBinding(0, "192.0.2.1"));
  const struct {
    std::string login, secret, address;
    AuthRefusal why;
  } cases[] = {
      {"nobody", "pw", "", AuthRefusal::kUnknownAccount},
      {"list", "", "", AuthRefusal::kUnknownAccount},
      {"ann", "wrong", "", AuthRefusal::kWrongSecret},
      {"ann", "pw", "198.51.100.7", AuthRefusal::kAddressNotAllowed},
      {"bob", "wrong", "", AuthRefusal::kWrongSecret},
      {"bob", "wrong", "", AuthRefusal::kLocked},
  };
  for (const auto& c : cases) {
    AuthRequest request;
    request.login = c.login;
    request.secret = c.secret;
    request.address = c.address;
    AuthRefusal why = AuthRefusal::kNone;
    EXPECT_FALSE(AuthenticateAccount(context_, request, &result_, &why)) << c.login;
    EXPECT_EQ(why, c.why) << c.login << " " << c.secret << " " << c.address;
  }
  AuthRequest good;
  good.login = "ann";
  good.secret = "pw";
  AuthRefusal why = AuthRefusal::kNone;
  EXPECT_TRUE(AuthenticateAccount(context_, good, &result_, &why));
  EXPECT_EQ(why, AuthRefusal::kNone) << "untouched on success";
}

TEST_F(AuthenticateTest, AnAddressBoundToADomainSearchesItFirst) {
  PutUsers("example.org", {User("a", "same", "pw1")});
  PutUsers("other.org", {User("b", "same", "pw2")});
  ASSERT_TRUE(context_.domains().SetBinding(0, "192.0.2.1"));
  ASSERT_TRUE(context_.domains().SetBinding(1, "192.0.2.9"));
  EXPECT_TRUE(Login("same", "pw2", "192.0.2.9"));
  EXPECT_EQ(result_.domain, "other.org");
}

TEST_F(AuthenticateTest, TheCacheServesOnlyWhileUsersCfgIsUnchanged) {
  PutUsers("example.org", {User("ann", "ann", "old")});
  EXPECT_TRUE(Login("ann", "old"));
  EXPECT_EQ(testing::AccountCacheOf(context_).Size(), 1u) << "put under its primary alias";
  EXPECT_TRUE(Login("ann", "old"));
  PutUsers("example.org", {User("ann", "ann", "new")});
  EXPECT_FALSE(Login("ann", "old")) << "a stale entry is not served";
  EXPECT_TRUE(Login("ann", "new"));
}

TEST_F(AuthenticateTest, ARecordThatIsNotTheFirstHolderOfItsAliasIsNotCached) {
  PutUsers("example.org", {User("ann", "first", "pw1"), User("ann", "second", "pw2")});
  EXPECT_TRUE(Login("second", "pw2"));
  EXPECT_EQ(testing::AccountCacheOf(context_).Size(), 0u);
}

TEST_F(AuthenticateTest, InactivityLimitRecordsTheActivity) {
  UserRecord user = User("ann", "ann", "pw", 0, "example.org/ann/");
  PutLE(user.data() + kInactivity, 4, 30u << 16);
  PutUsers("example.org", {user});
  EXPECT_TRUE(Login("ann", "pw"));
  EXPECT_TRUE(dir_.Exists("mail/example.org/ann/active.dat"));
}

TEST_F(AuthenticateTest, ExternalModesTryEveryEntry) {
  std::vector<std::string> calls;
  context_.set_logon(ExternalCheckers{
      [&](std::string_view domain, std::string_view user, std::string_view secret) {
        calls.push_back("logon " + std::string(domain) + "\\" + std::string(user));
        return secret == "pam-secret" && user == "unix-ann";
      },
      [&](std::string_view host, int port, std::string_view name, std::string_view secret) {
        calls.push_back("ldap " + std::string(host) + ":" + std::to_string(port) + " " +
                        std::string(name));
        return secret == "ldap-secret" && port == 1389;
      }});
  UserRecord pam = User("ann", "ann", "stored", 1);
  PutPString(pam.data() + user_offsets::kAuthEntries, 116, "CORP;wrong-user|;unix-ann");
  UserRecord ldap = User("bob;robert", "bob", "stored", 2);
  PutPString(ldap.data() + user_offsets::kAuthEntries, 116,
             "|dir.example:1389;uid=bob|x:99;b@elsewhere");
  PutUsers("example.org", {pam, ldap, User("carl", "carl", "stored", 2)});

  EXPECT_TRUE(Login("ann", "pam-secret"));
  EXPECT_EQ(calls, (std::vector<std::string>{"logon CORP\\wrong-user", "logon \\unix-ann"}));
  calls.clear();
  EXPECT_FALSE(Login("ann", "stored")) << "the stored password is not asked";
  calls.clear();
  EXPECT_TRUE(Login("bob", "ldap-secret"));
  EXPECT_EQ(calls, (std::vector<std::string>{"ldap localhost:389 bob@example.org",
                                             "ldap dir.example:1389 uid=bob@example.org"}));
  calls.clear();
  EXPECT_FALSE(Login("carl", "x"));
  EXPECT_EQ(calls, (std::vector<std::string>{"ldap localhost:389 carl@example.org"}));
}

}  // namespace
}  // namespace tarvelin
