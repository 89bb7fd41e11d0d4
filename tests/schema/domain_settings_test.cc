#include "schema/domain_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "schema/domain_record_layout.h"
#include "foundation/bytes.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

class DomainSettingsTest : public ::testing::Test {
 protected:
  std::string Get(int id, int32_t size = 512) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::max(size, 1)), 0xEE);
    const Result<int32_t> n = GetDomainField(record_.data(), id, buffer.data(), size);
    if (!n.ok()) return "error: " + KindOf(n.status());
    return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(*n));
  }
  Status Set(int id, const std::string& bytes) {
    return SetDomainField(record_.data(), id, bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  static std::string LE(uint32_t value, int width) {
    std::string bytes(static_cast<size_t>(width), '\0');
    PutLE(reinterpret_cast<uint8_t*>(bytes.data()), width, value);
    return bytes;
  }

  DomainRecord record_{};
};

TEST_F(DomainSettingsTest, GetByKind) {
  PutLE(record_.data() + 57, 4, 0x01020304);
  PutLE(record_.data() + 62, 2, 0xBEEF);
  record_[64] = 2;
  PutPString(record_.data() + 65, 62, "target.example");
  record_[880] = 5;
  record_[61] = 0xF2;  // DomainSIP on, DomainAV off, foreign high bits
  PutDouble(record_.data() + 899, 45000.25);

  EXPECT_EQ(Get(11), LE(0x01020304, 4));
  EXPECT_EQ(Get(11, 2), LE(0x0304, 2)) << "the caller's size picks the width";
  EXPECT_EQ(Get(9, 8), LE(0xBEEF, 4)) << "at most 4 bytes, upper ones zero";
  EXPECT_EQ(Get(1, 1), "\x02");
  EXPECT_EQ(Get(3), "target.example");
  EXPECT_EQ(Get(3, 13), "error: buffer too small");
  EXPECT_EQ(Get(0), "") << "an empty text writes nothing";
  EXPECT_EQ(Get(16), "\x05") << "a flag is the stored byte";
  EXPECT_EQ(Get(10), std::string(1, '\0'));
  EXPECT_EQ(Get(34), "\x01");
  EXPECT_EQ(Get(22), std::string(reinterpret_cast<const char*>(record_.data() + 899), 8));
  EXPECT_EQ(Get(22, 7), "error: buffer too small");
  EXPECT_EQ(Get(16, 0), "error: buffer too small");
}

TEST_F(DomainSettingsTest, TextLengthBeyondTheCapacityReadsTheCapacity) {
  std::memset(record_.data(), 'a', record_.size());
  for (int id : {0, 3, 4, 5, 7, 35, 36}) {
    const DomainField* field = FindDomainField(id);
    record_[static_cast<size_t>(field->offset)] = 255;
    EXPECT_EQ(Get(id, 1024), std::string(static_cast<size_t>(field->capacity()), 'a')) << id;
  }
}

TEST_F(DomainSettingsTest, SetByKind) {
  struct Case {
    int id;
    std::string given;
    std::string read_back;
  };
  const Case cases[] = {
      {0, "  free text \n", "free text"},
      {3, std::string(100, 'v'), std::string(62, 'v')},
      {7, std::string(300, 'f'), std::string(233, 'f')},
      {36, "Mailboxes/", "Mailboxes/"},
      {1, LE(300, 4), LE(44, 4)},
      {9, LE(0x12345, 4), LE(0x2345, 4)},
      {11, LE(0xFFFF, 2), LE(0xFFFF, 4)},
      {12, "\x07", LE(7, 4)},
      {16, "\x07", "\x07"},
      {25, LE(0x100, 2), "\x01"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Set(c.id, c.given), StatusCode::kOk) << c.id;
    EXPECT_EQ(Get(c.id, c.id == 16 || c.id == 25 ? 1 : 4096).substr(0, c.read_back.size()),
              c.read_back)
        << c.id;
  }
}

TEST_F(DomainSettingsTest, ServiceBitsKeepTheirNeighbours) {
  record_[61] = 0xF0;
  ASSERT_EQ(Set(10, LE(256, 4)), StatusCode::kOk) << "the 32-bit value is nonzero";
  EXPECT_EQ(record_[61], 0xF1);
  ASSERT_EQ(Set(34, "\x01"), StatusCode::kOk);
  EXPECT_EQ(record_[61], 0xF3);
  ASSERT_EQ(Set(10, std::string(1, '\0')), StatusCode::kOk);
  EXPECT_EQ(record_[61], 0xF2);
  ASSERT_EQ(Set(34, LE(0, 2)), StatusCode::kOk);
  EXPECT_EQ(record_[61], 0xF0);
}

TEST_F(DomainSettingsTest, DatesNeedEightBytes) {
  std::string date(8, '\0');
  PutDouble(reinterpret_cast<uint8_t*>(date.data()), 46000.5);
  ASSERT_EQ(Set(22, date), StatusCode::kOk);
  EXPECT_EQ(GetDouble(record_.data() + 899), 46000.5);
  const DomainRecord before = record_;
  EXPECT_EQ(Set(22, date.substr(0, 7)), StatusCode::kBufferTooSmall);
  EXPECT_EQ(record_, before) << "a short buffer must not date the domain to 1899";
}

TEST_F(DomainSettingsTest, UnknownIdsChangeNothing) {
  std::memset(record_.data(), 0x5A, record_.size());
  const DomainRecord before = record_;
  for (int id : {-1, 2, 26, 27, 28, 29, 30, 31, 37, 100, 1 << 20}) {
    EXPECT_EQ(Set(id, LE(1, 4)), StatusCode::kNotFound) << id;
    EXPECT_EQ(Get(id), "error: not found") << id;
  }
  EXPECT_EQ(record_, before);
  EXPECT_EQ(Set(37, "x").message(), "domain setting 37 is unknown");
}

TEST_F(DomainSettingsTest, PackedRecordRoundTrips) {
  for (size_t i = 0; i < record_.size(); ++i) record_[i] = static_cast<uint8_t>(i * 7);
  const std::string packed = Get(32, 8192);
  ASSERT_FALSE(packed.empty());
  EXPECT_EQ(
      packed.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
      std::string::npos);
  EXPECT_EQ(Get(32, static_cast<int32_t>(packed.size()) - 1), "error: buffer too small");

  const DomainRecord original = record_;
  record_.fill(0);
  ASSERT_EQ(Set(32, packed), StatusCode::kOk);
  EXPECT_EQ(record_, original);

  EXPECT_EQ(Set(32, "not base64 of zlib data!"), StatusCode::kOk) << "no error reaches the caller";
  EXPECT_EQ(record_, original) << "an undecodable text leaves the record alone";
}

}  // namespace
}  // namespace tarvelin
