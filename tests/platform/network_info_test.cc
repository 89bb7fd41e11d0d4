#include "platform/posix/network_info.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace tarvelin {
namespace {

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
