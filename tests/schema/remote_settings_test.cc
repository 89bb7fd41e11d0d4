#include "schema/remote_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "schema/remote_record_layout.h"
#include "foundation/bytes.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

class RemoteSettingsTest : public ::testing::Test {
 protected:
  Status Set(int32_t id, const std::string& value) {
    return SetRemoteField(record_.data(), id, value.data(), static_cast<int32_t>(value.size()));
  }
  std::string Get(int32_t id, int32_t size = 4096) {
    std::vector<char> buffer(static_cast<size_t>(size));
    const Result<int32_t> n = GetRemoteField(record_.data(), id, buffer.data(), size);
    return n.ok() ? std::string(buffer.data(), static_cast<size_t>(*n))
                  : "error: " + KindOf(n.status());
  }

  RemoteAccountRecord record_{};
};

TEST_F(RemoteSettingsTest, TextsAreStoredAtTheirOffsetCutToCapacity) {
  struct Case {
    int32_t id;
    int offset;
    int capacity;
  };
  const Case cases[] = {{224, 0, 63},     {225, 64, 191},  {226, 540, 255},
                        {227, 796, 127},  {229, 925, 63},  {230, 989, 60},
                        {234, 1054, 127}, {235, 1182, 63}, {244, 1312, 255}};
  const std::string long_text(300, 'q');
  for (const Case& c : cases) {
    record_.fill(0);
    ASSERT_EQ(Set(c.id, "  mail.example.org \r\n"), StatusCode::kOk) << c.id;
    EXPECT_EQ(GetPString(record_.data() + c.offset, c.capacity), "mail.example.org") << c.id;
    EXPECT_EQ(Get(c.id), "mail.example.org") << c.id;
    ASSERT_EQ(Set(c.id, long_text), StatusCode::kOk);
    EXPECT_EQ(record_[c.offset], c.capacity) << c.id;
    EXPECT_EQ(Get(c.id), long_text.substr(0, c.capacity)) << c.id;
    EXPECT_EQ(record_[c.offset + c.capacity + 1], 0) << "id " << c.id << " wrote past its field";
  }
}

TEST_F(RemoteSettingsTest, SeventyCharactersInto230KeepSixty) {
  ASSERT_EQ(Set(230, std::string(70, 'x')), StatusCode::kOk);
  EXPECT_EQ(Get(230), std::string(60, 'x'));
}

TEST_F(RemoteSettingsTest, FlagsAndNumbersKeepTheirWidth) {
  const uint32_t big = 0x12345678;
  EXPECT_EQ(SetRemoteField(record_.data(), 240, &big, 4), StatusCode::kOk);
  EXPECT_EQ(GetLE(record_.data() + 1274, 2), 0x5678u);
  EXPECT_EQ(record_[1276], 0) << "241 untouched";
  uint8_t low = 0;
  EXPECT_EQ(GetRemoteField(record_.data(), 240, &low, 1), 1);
  EXPECT_EQ(low, 0x78) << "a 1-byte buffer gets the low byte";

  EXPECT_EQ(SetRemoteField(record_.data(), 247, &big, 4), StatusCode::kOk);
  EXPECT_EQ(record_[1269], 0x78);
  EXPECT_EQ(record_[1270], 0);
  uint32_t wide = 0xFFFFFFFF;
  EXPECT_EQ(GetRemoteField(record_.data(), 247, &wide, 4), 4);
  EXPECT_EQ(wide, 0x78u);

  const uint8_t imap = 1;
  EXPECT_EQ(SetRemoteField(record_.data(), 245, &imap, 1), StatusCode::kOk);
  EXPECT_EQ(record_[1050], 1);
  uint8_t flag = 0;
  EXPECT_EQ(GetRemoteField(record_.data(), 245, &flag, 1), 1);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(GetRemoteField(record_.data(), 245, &flag, 0), StatusCode::kBufferTooSmall);
}

TEST_F(RemoteSettingsTest, ScheduleIsMovedAsItsBlock) {
  for (int i = 0; i < 284; ++i) record_[256 + i] = static_cast<uint8_t>(i);
  std::array<uint8_t, 300> block{};
  EXPECT_EQ(GetRemoteField(record_.data(), 246, block.data(), 100), StatusCode::kBufferTooSmall);
  EXPECT_EQ(GetRemoteField(record_.data(), 246, block.data(), 300), 284);
  EXPECT_EQ(std::memcmp(block.data(), record_.data() + 256, 284), 0);

  const std::array<uint8_t, 10> head = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(SetRemoteField(record_.data(), 246, head.data(), 10), StatusCode::kOk);
  EXPECT_EQ(record_[256 + 9], 9);
  EXPECT_EQ(record_[256 + 10], 10) << "the rest of the block is kept";

  std::array<uint8_t, 400> large;
  large.fill(0xEE);
  EXPECT_EQ(SetRemoteField(record_.data(), 246, large.data(), 400), StatusCode::kOk);
  EXPECT_EQ(record_[256 + 283], 0xEE);
  EXPECT_EQ(record_[540], 0) << "nothing past the block";
}

TEST_F(RemoteSettingsTest, PackedRecordRoundTrips) {
  for (size_t i = 0; i < record_.size(); ++i) record_[i] = static_cast<uint8_t>(i * 7);
  const RemoteAccountRecord original = record_;
  const std::string packed = Get(248);
  ASSERT_FALSE(packed.empty());
  record_.fill(0);
  EXPECT_EQ(Set(248, packed), StatusCode::kOk);
  EXPECT_EQ(record_, original);
  EXPECT_EQ(Set(248, "not base64 of zlib data"), StatusCode::kOk);
  EXPECT_EQ(record_, original) << "an undecodable text leaves the record";
}

TEST_F(RemoteSettingsTest, UnknownIdsChangeNothing) {
  record_.fill(0x33);
  const RemoteAccountRecord before = record_;
  for (int32_t id : {-1, 0, 223, 249, 1000}) {
    EXPECT_EQ(Set(id, "value"), StatusCode::kNotFound) << id;
    EXPECT_EQ(Get(id), "error: not found") << id;
  }
  EXPECT_EQ(record_, before);
}

}  // namespace
}  // namespace tarvelin
