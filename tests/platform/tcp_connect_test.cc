// PosixEnv::ConnectTcp against listeners of the test's own on the loopback
// address: the failures a caller tells apart, a plain exchange, and a TLS
// handshake that a peer never answers.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "platform/posix_env.h"

namespace tarvelin {
namespace {

// A listening TCP socket on 127.0.0.1 at a free port.
class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    listen(fd_, 4);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { close(fd_); }
  uint16_t port() const { return port_; }
  int Accept() { return accept(fd_, nullptr, nullptr); }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST(ConnectTcpTest, FailuresSayWhy) {
  PosixEnv env;
  uint16_t closed = 0;
  {
    Listener gone;
    closed = gone.port();
  }
  Result<std::unique_ptr<NetworkStream>> refused = env.ConnectTcp("127.0.0.1", closed, 2000);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.status().sys_errno(), ECONNREFUSED);
  EXPECT_TRUE(env.ConnectTcp("no-such-host.invalid", 110, 2000).status().Is(StatusCode::kNotFound));
  EXPECT_TRUE(env.ConnectTcp(std::string("a\0b", 3), 110, 2000).status().Is(StatusCode::kNotFound));
}

TEST(ConnectTcpTest, LinesBothWaysAndTheEndOfTheStream) {
  PosixEnv env;
  Listener listener;
  std::thread peer([&] {
    const int fd = listener.Accept();
    char buffer[16] = {};
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    send(fd, buffer, static_cast<size_t>(got), 0);
    close(fd);
  });
  Result<std::unique_ptr<NetworkStream>> stream = env.ConnectTcp("127.0.0.1", listener.port(), 2000);
  ASSERT_TRUE(stream.ok()) << stream.status().ToString();
  ASSERT_TRUE((*stream)->WriteAll("ping\r\n", 6).ok());
  char buffer[6];
  ASSERT_TRUE((*stream)->ReadExact(buffer, sizeof buffer, 2000).ok());
  EXPECT_EQ(std::string(buffer, 6), "ping\r\n");
  Result<size_t> end = (*stream)->ReadSome(buffer, sizeof buffer, 2000);
  ASSERT_TRUE(end.ok());
  EXPECT_EQ(*end, 0u);
  peer.join();
}

TEST(ConnectTcpTest, SilencesTimeOutInReadsAndInTheTlsHandshake) {
  PosixEnv env;
  Listener listener;  // the kernel accepts; nobody ever writes
  Result<std::unique_ptr<NetworkStream>> stream = env.ConnectTcp("127.0.0.1", listener.port(), 2000);
  ASSERT_TRUE(stream.ok()) << stream.status().ToString();
  char byte;
  EXPECT_EQ((*stream)->ReadSome(&byte, 1, 50).status().sys_errno(), ETIMEDOUT);
  ASSERT_TRUE((*stream)->TlsAvailable());
  EXPECT_EQ((*stream)->StartTls(50).sys_errno(), ETIMEDOUT);
}

}  // namespace
}  // namespace tarvelin
