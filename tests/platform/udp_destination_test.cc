#include "platform/udp_destination.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarvelin {
namespace {

TEST(UdpDestination, HostsPortsAndBrackets) {
  struct Case {
    std::string text;
    std::string host;
    uint16_t port;
  };
  const Case cases[] = {
      {"10.0.0.5", "10.0.0.5", 514},
      {"10.0.0.5:1514", "10.0.0.5", 1514},
      {"[10.0.0.5]", "10.0.0.5", 514},
      {"[10.0.0.5]:20514", "10.0.0.5", 20514},
      {"[::1]:6514", "::1", 6514},
      {"[fe80::1]", "fe80::1", 514},
      {"fe80::1", "fe80::1", 514},
      {"  logs.example.org:65535 ", "logs.example.org", 65535},
      {"logs.example.org", "logs.example.org", 514},
  };
  for (const Case& c : cases) {
    const std::optional<UdpDestination> parsed = ParseUdpDestination(c.text, 514);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(parsed->host, c.host) << c.text;
    EXPECT_EQ(parsed->port, c.port) << c.text;
  }
}

TEST(UdpDestination, UnusableTexts) {
  for (const char* text : {"", "   ", ":514", "[]", "[]:514", "host:", "host:0", "host:65536",
                           "host:12x", "host:-1", "[::1", "[::1]514", "[::1]:", "[::1]:x"}) {
    EXPECT_FALSE(ParseUdpDestination(text, 514).has_value()) << text;
  }
}

}  // namespace
}  // namespace tarvelin
