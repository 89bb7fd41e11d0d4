#include "jobs/migration/login_check.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/config/config_variables.h"
#include "support/dovecot_server.h"

namespace tarvelin {
namespace {

using testing::DovecotServer;
using testing::DovecotUser;

TEST(ParseServerAddressTest, HostAndOptionalPort) {
  struct Case {
    std::string text, host;
    uint16_t port;
  };
  const std::vector<Case> cases = {
      {"mail.example.org", "mail.example.org", 0}, {"10.0.0.1:1110", "10.0.0.1", 1110},
      {"[::1]:143", "::1", 143},                   {"::1", "::1", 0},
      {"host:notaport", "host", 0},                {"host:99999", "host", 0},
      {" host :25", "host", 25},
  };
  for (const Case& c : cases) {
    const ServerAddress address = ParseServerAddress(c.text);
    EXPECT_EQ(address.host, c.host) << c.text;
    EXPECT_EQ(address.port, c.port) << c.text;
  }
}

TEST(ImapStringTest, AtomsStayQuotedStringsAreEscapedLineBreaksAreRefused) {
  struct Case {
    std::string text;
    std::string quoted;  // empty: refused
  };
  const std::vector<Case> cases = {
      {"john", "john"},
      {"john@example.org", "john@example.org"},
      {"", "\"\""},
      {"two words", "\"two words\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"{5}", "\"{5}\""},
      {"a\r\nb", ""},
      {std::string("a\0b", 3), ""},
  };
  for (const Case& c : cases) {
    Result<std::string> quoted = ImapString(c.text);
    if (c.quoted.empty()) {
      EXPECT_FALSE(quoted.ok()) << c.text;
    } else {
      ASSERT_TRUE(quoted.ok()) << c.text;
      EXPECT_EQ(*quoted, c.quoted);
    }
  }
}

TEST(MigrationListLoginsTest, LinesWithAColonGiveTheFirstTwoFields) {
  const std::vector<MigrationLogin> logins =
      MigrationListLogins("ann:a1:example.org\nnocolon\n  bob:  \n:x\n");
  ASSERT_EQ(logins.size(), 3u);
  EXPECT_EQ(logins[0].user, "ann");
  EXPECT_EQ(logins[0].password, "a1");
  EXPECT_EQ(logins[1].user, "bob");
  EXPECT_EQ(logins[1].password, "");
  EXPECT_EQ(logins[2].user, "");
}

// Two servers for the whole suite: one offering STLS/STARTTLS, one not.
const std::vector<DovecotUser> kUsers = {{"alice", "secret"}, {"bob sp", "pa ss\"w\\"}};

class LoginCheckTest : public testing::AccountInstallation {
 protected:
  static void SetUpTestSuite() {
    tls_ = new DovecotServer(kUsers, true);
    plain_ = new DovecotServer(kUsers, false);
  }
  static void TearDownTestSuite() {
    delete tls_;
    delete plain_;
  }
  void SetUp() override {
    ASSERT_TRUE(tls_->ok()) << "Dovecot with TLS did not start: " << tls_->why();
    ASSERT_TRUE(plain_->ok()) << "Dovecot without TLS did not start: " << plain_->why();
  }
  void UseServer(const std::string& address, bool pop3) {
    context_.config.record.SetText(offsets::kServerAddresses, address);
    ASSERT_TRUE(SetConfigSettingValue(context_, 373, SettingValue::Number(pop3 ? 1 : 0)).ok());
  }
  std::vector<MigrationLoginCheck> Check(const std::vector<MigrationLogin>& logins, int timeout_ms = 5000) {
    LoginCheckOptions options;
    options.timeout_ms = timeout_ms;
    return CheckMigrationLogins(context_, logins, options);
  }

  static DovecotServer* tls_;
  static DovecotServer* plain_;
};

DovecotServer* LoginCheckTest::tls_ = nullptr;
DovecotServer* LoginCheckTest::plain_ = nullptr;

TEST_F(LoginCheckTest, AcceptedAndRefusedLoginsOverBothProtocolsWithAndWithoutTls) {
  struct Case {
    bool pop3;
    bool tls;
  };
  const std::vector<Case> cases = {{true, true}, {true, false}, {false, true}, {false, false}};
  auto use = [&](const Case& c) {
    const DovecotServer& server = c.tls ? *tls_ : *plain_;
    UseServer("127.0.0.1:" + std::to_string(c.pop3 ? server.pop3_port() : server.imap_port()),
              c.pop3);
    return std::string(c.pop3 ? "POP3" : "IMAP") + (c.tls ? " with TLS" : "");
  };
  // The accepted ones first: Dovecot delays every login from an address
  // that failed before.
  for (const Case& c : cases) {
    const std::string what = use(c);
    std::vector<MigrationLogin> logins = {{"alice", "secret"}};
    if (!c.pop3) logins.push_back({"bob sp", "pa ss\"w\\"});
    const std::vector<MigrationLoginCheck> checks = Check(logins);
    ASSERT_EQ(checks.size(), logins.size()) << what;
    for (const MigrationLoginCheck& check : checks) {
      EXPECT_TRUE(check.passed) << what << " " << check.user << ": " << check.reason;
      EXPECT_EQ(check.used_tls, c.tls) << what;
      EXPECT_FALSE(check.skipped) << what;
    }
    EXPECT_FALSE(AnyLoginFailed(checks));
  }
  EXPECT_NE(tls_->Log().find("TLS"), std::string::npos) << tls_->Log();
  for (const Case& c : cases) {
    const std::string what = use(c);
    const std::vector<MigrationLoginCheck> checks = Check({{"alice", "wrong"}, {"nobody", "x"}}, 3000);
    ASSERT_EQ(checks.size(), 2u) << what;
    for (const MigrationLoginCheck& check : checks) {
      EXPECT_FALSE(check.passed) << what << " " << check.user;
      EXPECT_FALSE(check.reason.empty()) << what;
    }
    EXPECT_TRUE(AnyLoginFailed(checks));
  }
}

TEST_F(LoginCheckTest, AnEmptyUserOrPasswordPassesWithoutConnecting) {
  UseServer("127.0.0.1:" + std::to_string(testing::FreeLoopbackPort()), true);
  const std::vector<MigrationLoginCheck> checks = Check({{"alice", ""}, {"", "secret"}});
  ASSERT_EQ(checks.size(), 2u);
  for (const MigrationLoginCheck& check : checks) {
    EXPECT_TRUE(check.passed);
    EXPECT_TRUE(check.skipped);
  }
  EXPECT_FALSE(AnyLoginFailed(checks));
}

TEST_F(LoginCheckTest, ALineBreakInThePasswordFailsWithoutBeingSent) {
  for (bool pop3 : {true, false}) {
    UseServer("127.0.0.1:" + std::to_string(pop3 ? tls_->pop3_port() : tls_->imap_port()), pop3);
    // Sent as it stands, the part after the break would be a command of its own.
    const std::vector<MigrationLoginCheck> checks = Check({{"alice", "x\r\nPASS secret"}});
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].passed) << (pop3 ? "POP3" : "IMAP");
    EXPECT_NE(checks[0].reason.find("line break"), std::string::npos) << checks[0].reason;
  }
}

TEST_F(LoginCheckTest, AClosedPortAndASilentServerFail) {
  UseServer("127.0.0.1:" + std::to_string(testing::FreeLoopbackPort()), true);
  std::vector<MigrationLoginCheck> checks = Check({{"alice", "secret"}});
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_FALSE(checks[0].passed);
  EXPECT_NE(checks[0].reason.find("refused"), std::string::npos) << checks[0].reason;

  // Accepts connections (the kernel does) and never says a word.
  const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(silent, 4), 0);
  ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
  for (bool pop3 : {true, false}) {
    UseServer("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), pop3);
    checks = Check({{"alice", "secret"}}, 200);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].passed);
    EXPECT_NE(checks[0].reason.find("timed out"), std::string::npos) << checks[0].reason;
  }
  ::close(silent);
}

TEST_F(LoginCheckTest, TheServerAddressGoesIntoVariable366) {
  struct Case {
    std::string list, address;
  };
  for (const Case& c : std::vector<Case>{{"", "localhost"},
                                         {" 127.0.0.1:1 ; 10.0.0.2", "127.0.0.1:1"},
                                         {" ;10.0.0.2", "localhost"}}) {
    context_.config.record.SetText(offsets::kServerAddresses, c.list);
    EXPECT_EQ(MigrationServerAddressOf(context_), c.address) << c.list;
    Check({});
    Result<SettingValue> stored = ConfigSettingValue(context_, 366);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->text(), c.address) << c.list;
  }
}

}  // namespace
}  // namespace tarvelin
