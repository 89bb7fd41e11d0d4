#include "foundation/dns_message.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

TEST(DnsMessageTest, AQueryForOneName) {
  const std::optional<std::string> query = DnsQuery(0xbeef, "mail.example.com", kDnsTypeA);
  ASSERT_TRUE(query);
  EXPECT_EQ(*query, std::string("\xbe\xef\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"
                                "\x04mail\x07" "example\x03" "com\x00"
                                "\x00\x01\x00\x01",
                                34));
}

TEST(DnsMessageTest, NamesThatMakeNoLabels) {
  for (const char* name : {"", ".", "a..b", "trailing.", ".leading"}) {
    EXPECT_FALSE(DnsQuery(1, name, kDnsTypeA)) << name;
  }
  EXPECT_FALSE(DnsQuery(1, std::string(64, 'a') + ".com", kDnsTypeA));
  EXPECT_TRUE(DnsQuery(1, std::string(63, 'a') + ".com", kDnsTypeA));
}

TEST(DnsMessageTest, TheHeaderOfAnAnswer) {
  const std::string answer("\x12\x34\x81\x83\x00\x01\x01\x02\x00\x00\x00\x00", 12);
  const std::optional<DnsHeader> header = ReadDnsHeader(answer);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->id, 0x1234);
  EXPECT_TRUE(header->response);
  EXPECT_EQ(header->rcode, 3);
  EXPECT_EQ(header->answer_count, 0x0102);
  EXPECT_FALSE(ReadDnsHeader(answer.substr(0, 11)));
}

}  // namespace
}  // namespace tarvelin
