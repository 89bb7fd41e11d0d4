#include "support/dovecot_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tarvelin::testing {

namespace {

constexpr const char* kDovecot = "/usr/sbin/dovecot";

// A greeting within the time, on a fresh connection.
bool Answers(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval wait{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  bool answered = false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    char byte = 0;
    answered = ::recv(fd, &byte, 1, 0) == 1;
  }
  ::close(fd);
  return answered;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return port;
}

DovecotServer::DovecotServer(const std::vector<DovecotUser>& users, bool tls) {
  Start(users, tls);
}

void DovecotServer::Start(const std::vector<DovecotUser>& users, bool tls) {
  if (::access(kDovecot, X_OK) != 0) {
    why_ = std::string("no ") + kDovecot +
           " (Debian packages dovecot-core, dovecot-pop3d, dovecot-imapd): tools/install-deps";
    return;
  }
  // TempDir paths hold no blanks or quotes: they go into the configuration
  // and the command line as they are.
  const std::string root = dir_.path() + "dovecot/";
  std::filesystem::create_directories(root + "run");
  std::filesystem::create_directories(root + "state");
  std::filesystem::create_directories(root + "mail");

  // Dovecot runs its login and internal processes unprivileged; as root
  // that is "nobody", who needs a way into the folder.
  const passwd* self = getpwuid(geteuid());
  const passwd* runner = geteuid() == 0 ? getpwnam("nobody") : self;
  if (runner == nullptr) {
    why_ = "no user to run Dovecot's processes as (\"nobody\" as root, else the current user)";
    return;
  }
  const std::string user = runner->pw_name;
  const group* runner_group = getgrgid(runner->pw_gid);
  const std::string group_name = runner_group != nullptr ? runner_group->gr_name : "";

  const std::string make_certificate =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -keyout " + root +
      "key.pem -out " + root + "cert.pem >" + root + "openssl.log 2>&1";
  if (std::system(make_certificate.c_str()) != 0) {
    why_ = "cannot make a certificate with openssl: " + ReadAll(root + "openssl.log");
    return;
  }
  {
    std::ofstream passwd(root + "passwd");
    for (const DovecotUser& u : users) passwd << u.name << ":{PLAIN}" << u.password << "::::::\n";
  }
  pop3_port_ = FreeLoopbackPort();
  imap_port_ = FreeLoopbackPort();
  {
    std::ofstream conf(root + "dovecot.conf");
    conf << "protocols = imap pop3\n"
         << "listen = 127.0.0.1\n"
         << "base_dir = " << root << "run\n"
         << "state_dir = " << root << "state\n"
         << "log_path = " << root << "dovecot.log\n"
         << "default_login_user = " << user << "\n"
         << "default_internal_user = " << user << "\n"
         << "ssl = " << (tls ? "yes" : "no") << "\n"
         << "ssl_cert = <" << root << "cert.pem\n"
         << "ssl_key = <" << root << "key.pem\n"
         << "disable_plaintext_auth = no\n"
         // Refused logins are part of the tests: no growing penalty for
         // the loopback address, no wait after each failure.
         << "login_trusted_networks = 127.0.0.0/8\n"
         << "auth_failure_delay = 0\n"
         // User names with blanks and quotes are part of what is tested.
         << "auth_username_chars =\n"
         << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " << root << "passwd\n}\n"
         << "userdb {\n  driver = static\n  args = uid=" << runner->pw_uid
         << " gid=" << runner->pw_gid << " home=" << root << "mail/%u\n}\n"
         << "mail_location = maildir:" << root << "mail/%u\n"
         << "service imap-login {\n  chroot =\n  inet_listener imap {\n    port = " << imap_port_
         << "\n  }\n  inet_listener imaps {\n    port = 0\n  }\n}\n"
         << "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    port = " << pop3_port_
         << "\n  }\n  inet_listener pop3s {\n    port = 0\n  }\n}\n"
         << "service anvil {\n  chroot =\n}\n";
  }
  if (geteuid() == 0) {
    const std::string hand_over = "chmod 755 " + dir_.path() + " && chown -R " + user + (group_name.empty() ? "" : ":" + group_name) + " " + root;
    if (std::system(hand_over.c_str()) != 0) {
      why_ = "cannot hand " + root + " to " + user;
      return;
    }
  }
  const std::string conf_path = root + "dovecot.conf";
  const std::string output_path = root + "dovecot.out";
  pid_ = ::fork();
  if (pid_ == 0) {
    const int out = ::open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    ::execl(kDovecot, kDovecot, "-F", "-c", conf_path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid_ < 0) {
    why_ = "cannot fork for Dovecot";
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      why_ = "Dovecot ended at start: " + ReadAll(output_path) + Log();
      return;
    }
    if (Answers(pop3_port_) && Answers(imap_port_)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  why_ = "Dovecot did not answer on ports " + std::to_string(pop3_port_) + " and " +
         std::to_string(imap_port_) + " within 15 s: " + ReadAll(output_path) + Log();
}

DovecotServer::~DovecotServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

std::string DovecotServer::Log() const { return ReadAll(dir_.path() + "dovecot/dovecot.log"); }

}  // namespace tarvelin::testing
