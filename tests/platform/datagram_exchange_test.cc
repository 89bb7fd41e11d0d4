// PosixEnv::ExchangeDatagram against a receiver of the test's own on the
// loopback address.
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

// A UDP socket on 127.0.0.1 at a free port.
class Receiver {
 public:
  Receiver() {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Receiver() { close(fd_); }

  uint16_t port() const { return port_; }
  // Takes one datagram and sends `answer` back to its sender.
  std::string AnswerOne(const std::string& answer) {
    char buffer[512];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got =
        recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    return got < 0 ? std::string() : std::string(buffer, static_cast<size_t>(got));
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST(DatagramExchangeTest, OneRequestOneAnswerCutToTheMaximum) {
  PosixEnv env;
  Receiver receiver;
  std::string received;
  std::thread server([&] { received = receiver.AnswerOne("a longer answer"); });
  Result<std::string> answer = env.ExchangeDatagram("127.0.0.1", receiver.port(), "ask", 8, 5000);
  server.join();
  EXPECT_EQ(received, "ask");
  ASSERT_TRUE(answer.ok()) << answer.status().ToString();
  EXPECT_EQ(*answer, "a longer");
}

TEST(DatagramExchangeTest, SilenceAndRefusal) {
  PosixEnv env;
  Receiver silent;
  Result<std::string> nothing = env.ExchangeDatagram("127.0.0.1", silent.port(), "ask", 64, 100);
  EXPECT_EQ(nothing.status().code(), StatusCode::kIOError);
  EXPECT_EQ(nothing.status().sys_errno(), ETIMEDOUT);

  uint16_t closed_port;
  {
    Receiver gone;
    closed_port = gone.port();
  }
  Result<std::string> refused = env.ExchangeDatagram("127.0.0.1", closed_port, "ask", 64, 2000);
  EXPECT_EQ(refused.status().sys_errno(), ECONNREFUSED) << refused.status().ToString();

  Result<std::string> no_address = env.ExchangeDatagram("", 53, "ask", 64, 100);
  EXPECT_FALSE(no_address.ok());
}

}  // namespace
}  // namespace tarvelin
