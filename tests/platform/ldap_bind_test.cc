#include "platform/ldap_bind.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace tarvelin {
namespace {

using namespace std::string_literals;

constexpr char kSlapd[] = "/usr/sbin/slapd";
constexpr char kJohn[] = "uid=john,ou=people,dc=example,dc=org";

// A loopback TCP socket bound to a port the system picked; listening when
// `backlog` is positive.
int LoopbackSocket(int backlog, int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      (backlog > 0 && listen(fd, backlog) != 0) ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

// A port nothing listens on (free when it was picked).
int UnusedPort() {
  int port = 0;
  const int fd = LoopbackSocket(0, &port);
  if (fd >= 0) close(fd);
  return port;
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return connected;
}

// Starts `words` with standard output and error going to `log`; its pid, or -1.
pid_t Spawn(std::vector<std::string> words, const std::string& log) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

// A real directory server of the test's own: slapd with a configuration,
// a small directory and a loopback port in a temporary directory, run as
// the current user and killed at the end. Like many servers, it takes a
// bind with a name and no password as an anonymous bind.
class LdapBindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kSlapd))
        << kSlapd << " is missing (Debian package slapd): tools/install-deps";
    const std::string& dir = dir_.path();
    dir_.Write("slapd.conf",
               "include /etc/ldap/schema/core.schema\n"
               "include /etc/ldap/schema/cosine.schema\n"
               "include /etc/ldap/schema/inetorgperson.schema\n"
               "allow bind_anon_dn\n"
               "modulepath /usr/lib/ldap\n"
               "moduleload back_mdb\n"
               "pidfile " +
                   dir +
                   "slapd.pid\n"
                   "argsfile " +
                   dir +
                   "slapd.args\n"
                   "database mdb\n"
                   "maxsize 1048576\n"
                   "suffix \"dc=example,dc=org\"\n"
                   "directory " +
                   dir +
                   "data\n"
                   "access to * by * read\n");
    dir_.Write("directory.ldif",
               "dn: dc=example,dc=org\n"
               "objectClass: dcObject\nobjectClass: organization\ndc: example\no: Example\n\n"
               "dn: ou=people,dc=example,dc=org\n"
               "objectClass: organizationalUnit\nou: people\n\n"
               "dn: uid=john,ou=people,dc=example,dc=org\n"
               "objectClass: inetOrgPerson\nuid: john\ncn: John\nsn: Doe\nuserPassword: secret\n");
    std::filesystem::create_directories(dir + "data");
    const std::string log = dir + "slapd.log";
    const pid_t loader =
        Spawn({kSlapd, "-T", "add", "-f", dir + "slapd.conf", "-l", dir + "directory.ldif"}, log);
    int status = -1;
    ASSERT_TRUE(loader > 0 && waitpid(loader, &status, 0) == loader && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0)
        << "slapadd failed:\n"
        << dir_.Read("slapd.log");

    // Another test may take the picked port first: then slapd ends, and a
    // new port is tried.
    for (int attempt = 0; attempt < 3 && port_ == 0; ++attempt) {
      const int port = UnusedPort();
      ASSERT_GT(port, 0);
      server_ = Spawn({kSlapd, "-f", dir + "slapd.conf", "-h",
                       "ldap://127.0.0.1:" + std::to_string(port) + "/", "-d", "0"},
                      log);
      ASSERT_GT(server_, 0);
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(server_, &status, WNOHANG) == server_) {
          server_ = -1;
          break;
        }
        if (Accepts(port)) {
          port_ = port;
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    ASSERT_GT(port_, 0) << "slapd did not start:\n" << dir_.Read("slapd.log");
  }

  void TearDown() override {
    // Nothing in the directory needs to survive: no orderly shutdown.
    if (server_ > 0) {
      kill(server_, SIGKILL);
      waitpid(server_, nullptr, 0);
    }
  }

  testing::TempDir dir_;
  pid_t server_ = -1;
  int port_ = 0;
};

TEST_F(LdapBindTest, ChecksTheSecret) {
  struct Case {
    std::string name;
    std::string password;
    bool accepted;
  } cases[] = {
      {kJohn, "secret", true},
      {"UID=John, OU=People, DC=Example, DC=Org", "secret", true},
      {kJohn, "Secret", false},
      {kJohn, "secret ", false},
      {kJohn, "secret\0"s, false},
      {kJohn, "wrong", false},
      {"uid=nobody,ou=people,dc=example,dc=org", "secret", false},
      {"john@example.org", "secret", false},
      // This server takes both as anonymous binds.
      {kJohn, "", false},
      {"uid=nobody,ou=people,dc=example,dc=org", "", false},
      {"", "", false},
      {"", "secret", false},
      // A NUL would end the name the server sees at john's.
      {kJohn + "\0,ou=elsewhere"s, "secret", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LdapSimpleBind("127.0.0.1", port_, c.name, c.password), c.accepted)
        << c.name << " / " << c.password;
  }
}

TEST_F(LdapBindTest, HostByName) {
  EXPECT_TRUE(LdapSimpleBind("localhost", port_, kJohn, "secret"));
  EXPECT_FALSE(LdapSimpleBind("localhost", port_, kJohn, "wrong"));
}

TEST_F(LdapBindTest, RefusesWhatIsNotAPlainHostAndPort) {
  const std::string port = std::to_string(port_);
  struct Case {
    std::string host;
    int port;
  } cases[] = {
      {"", port_},
      {"127.0.0.1", 0},
      {"127.0.0.1", -1},
      {"127.0.0.1", 65536 + port_},
      // A second address, a port or a path smuggled in with the host.
      {"nowhere.invalid/ ldap://127.0.0.1", port_},
      {"127.0.0.1:" + port + "/", 1},
      {"127.0.0.1:" + port, 1},
      {"127.0.0.1 ", port_},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(LdapSimpleBind(c.host, c.port, kJohn, "secret")) << c.host << " " << c.port;
  }
  EXPECT_TRUE(LdapSimpleBind("127.0.0.1", port_, kJohn, "secret"));
}

TEST(LdapBindUnreachableTest, NobodyListening) {
  EXPECT_FALSE(LdapSimpleBind("127.0.0.1", UnusedPort(), kJohn, "secret"));
}

TEST(LdapBindUnreachableTest, ServerThatNeverAnswersDoesNotHoldTheCaller) {
  // Connections complete in the backlog, but nothing ever reads or answers.
  int port = 0;
  const int listener = LoopbackSocket(8, &port);
  ASSERT_GE(listener, 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(LdapSimpleBind("127.0.0.1", port, kJohn, "secret"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  close(listener);
}

}  // namespace
}  // namespace tarvelin
