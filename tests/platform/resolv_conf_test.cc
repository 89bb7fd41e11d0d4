#include "platform/resolv_conf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvelin {
namespace {

TEST(ParseDnsServers, KeepsNameserverLinesInOrder) {
  const std::string text = "# generated\n"
                           "; old style comment\n"
                           "\n"
                           "search example.com\n"
                           "nameserver 10.0.0.1\n"
                           "#nameserver 10.0.0.99\n"
                           ";nameserver 10.0.0.98\n"
                           "  nameserver\t192.168.1.1   # office\r\n"
                           "nameserver 2001:db8::53\n"
                           "nameserver\n"
                           "nameservers 10.0.0.97\n"
                           "options ndots:2\n"
                           "nameserver 10.0.0.2";
  EXPECT_EQ(ParseDnsServers(text),
            (std::vector<std::string>{"10.0.0.1", "192.168.1.1", "2001:db8::53", "10.0.0.2"}));
  EXPECT_TRUE(ParseDnsServers("").empty());
}

}  // namespace
}  // namespace tarvelin
