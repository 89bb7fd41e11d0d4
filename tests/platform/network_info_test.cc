#include "platform/network_info.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tarvelin {
namespace {

TEST(NetworkInfoTest, ReadDnsServersKeepsNameserverLinesInOrder) {
  char pattern[] = "/tmp/tarvelin_net_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/resolv.conf";
  std::ofstream(path, std::ios::binary) << "# generated\n"
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
  EXPECT_EQ(ReadDnsServers(path),
            (std::vector<std::string>{"10.0.0.1", "192.168.1.1", "2001:db8::53", "10.0.0.2"}));
  std::filesystem::remove_all(pattern);
  EXPECT_TRUE(ReadDnsServers(path).empty());
}

TEST(NetworkInfoTest, LocalAddressesAreNumeric) {
  const std::vector<std::string> addresses = LocalAddresses();
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
  for (const std::string& address : addresses) {
    unsigned char buffer[16];
    const bool v4 = inet_pton(AF_INET, address.c_str(), buffer) == 1;
    const bool v6 = inet_pton(AF_INET6, address.c_str(), buffer) == 1;
    EXPECT_TRUE(v4 || v6) << address;
    EXPECT_EQ(address.find('%'), std::string::npos) << address;
  }
}

}  // namespace
}  // namespace tarvelin
