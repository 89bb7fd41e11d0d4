#include "platform/posix/udp_socket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvelin {
namespace {

class Receiver {
 public:
  explicit Receiver(int family) : family_(family) {
    fd_ = socket(family, SOCK_DGRAM, 0);
    sockaddr_storage address{};
    socklen_t length;
    if (family == AF_INET) {
      auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
      v4->sin_family = AF_INET;
      v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      length = sizeof *v4;
    } else {
      auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
      v6->sin6_family = AF_INET6;
      v6->sin6_addr = in6addr_loopback;
      length = sizeof *v6;
    }
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                    : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    timeval timeout{5, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~Receiver() { close(fd_); }
  bool bound() const { return bound_; }
  uint16_t port() const { return port_; }
  std::string Receive() const {
    char buffer[70000];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    return n < 0 ? "<none>" : std::string(buffer, static_cast<size_t>(n));
  }

 private:
  int family_;
  int fd_;
  bool bound_ = false;
  uint16_t port_ = 0;
};

TEST(UdpSender, DatagramsArriveWhole) {
  Receiver receiver(AF_INET);
  ASSERT_TRUE(receiver.bound());
  UdpSender sender;
  ASSERT_TRUE(sender.Open("127.0.0.1", receiver.port()));
  EXPECT_TRUE(sender.Send("<3> first"));
  EXPECT_TRUE(sender.Send(std::string(8000, 'x')));
  EXPECT_EQ(receiver.Receive(), "<3> first");
  EXPECT_EQ(receiver.Receive(), std::string(8000, 'x'));
}

TEST(UdpSender, ResolvesNamesAndIpv6) {
  Receiver v4(AF_INET);
  UdpSender by_name;
  ASSERT_TRUE(by_name.Open("localhost", v4.port()));
  // localhost may resolve to ::1 first; only an IPv4 answer reaches v4.
  by_name.Close();
  ASSERT_TRUE(by_name.Open("127.0.0.1", v4.port()));
  EXPECT_TRUE(by_name.Send("named"));
  EXPECT_EQ(v4.Receive(), "named");

  Receiver v6(AF_INET6);
  if (!v6.bound()) GTEST_SKIP() << "no IPv6 loopback";
  UdpSender sender;
  ASSERT_TRUE(sender.Open("::1", v6.port()));
  EXPECT_TRUE(sender.Send("over v6"));
  EXPECT_EQ(v6.Receive(), "over v6");
}

TEST(UdpSender, ClosedOrUnresolvedSendsNothing) {
  UdpSender sender;
  EXPECT_FALSE(sender.is_open());
  EXPECT_FALSE(sender.Send("x"));
  EXPECT_FALSE(sender.Open("no-such-host.invalid", 514));
  EXPECT_FALSE(sender.is_open());
  EXPECT_FALSE(sender.Send("x"));
}

TEST(UdpSender, NobodyListeningIsNotAnError) {
  uint16_t port;
  {
    Receiver gone(AF_INET);
    port = gone.port();
  }
  UdpSender sender;
  ASSERT_TRUE(sender.Open("127.0.0.1", port));
  sender.Send("lost");
  sender.Send("lost again");  // may report the refusal of the first; must not crash
  EXPECT_TRUE(sender.is_open());
}

}  // namespace
}  // namespace tarvelin
