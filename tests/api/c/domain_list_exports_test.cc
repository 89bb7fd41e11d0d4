// The read-only domain list exports, through the C API.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::DomainsFileOf;
using testing::SettingsFileOf;
using testing::TempDir;

void Open(const TempDir& dir, const std::vector<std::string>& names) {
  dir.Write("config/settings.cfg", SettingsFileOf(ServerConfig()));
  if (!names.empty()) dir.Write("config/domains.cfg", DomainsFileOf(names));
  ASSERT_EQ(Init(dir.path().c_str()), 0);
}

TEST(GetDomainList, EmptyListIsOneZeroByte) {
  TempDir dir;
  Open(dir, {});
  EXPECT_EQ(GetDomainCount(), 0);
  std::array<char, 4> buffer;
  buffer.fill('#');
  EXPECT_EQ(GetDomainList(buffer.data(), 0), -3);
  EXPECT_EQ(GetDomainList(buffer.data(), 4), 1);
  EXPECT_EQ(buffer, (std::array<char, 4>{0, 0, 0, 0})) << "the whole buffer is zero-filled";
}

TEST(GetDomainList, NamesSeparatedAndEndedByZeroBytes) {
  TempDir dir;
  Open(dir, {"aaaaa", "bbbbb"});
  EXPECT_EQ(GetDomainCount(), 2);
  std::array<char, 13> buffer;
  EXPECT_EQ(GetDomainList(buffer.data(), 12), -3);
  EXPECT_EQ(GetDomainList(buffer.data(), 13), 13);
  EXPECT_EQ(std::string(buffer.data(), 13), std::string("aaaaa\0bbbbb\0\0", 13));
  EXPECT_EQ(GetDomainList(nullptr, 13), -3);
}

TEST(GetDomainName, PositionAndBufferChecks) {
  TempDir dir;
  Open(dir, {"first.example", "second.example"});
  std::array<char, 20> buffer;
  buffer.fill('#');
  EXPECT_EQ(GetDomainName(1, buffer.data(), 14), 14) << "no room for a terminator needed";
  EXPECT_EQ(std::string(buffer.data(), 14), "second.example");
  EXPECT_EQ(buffer[14], '#');
  EXPECT_EQ(GetDomainName(1, buffer.data(), 13), -3);
  EXPECT_EQ(GetDomainName(2, buffer.data(), 20), -3);
  EXPECT_EQ(GetDomainName(-1, buffer.data(), 20), -3);
  EXPECT_EQ(GetDomainName(0, buffer.data(), 20), 13);
  EXPECT_EQ(buffer[13], 0) << "the rest of the buffer is zero-filled";
}

TEST(GetDomainIndex, StrictLookupIgnoringCase) {
  TempDir dir;
  Open(dir, {"first.example", "second.example"});
  EXPECT_EQ(GetDomainIndex("SECOND.example"), 1);
  EXPECT_EQ(GetDomainIndex("third.example"), -1);
  EXPECT_EQ(GetDomainIndex(nullptr), -1);
  EXPECT_EQ(GetDomainIndex(""), -1);
  const std::string long_name(300, 'a');
  EXPECT_EQ(GetDomainIndex(long_name.c_str()), -1);
}

}  // namespace
}  // namespace tarvelin
