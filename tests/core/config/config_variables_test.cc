#include "core/config/config_variables.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "schema/config_offsets.h"
#include "core/context.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ConfigVariablesTest : public ::testing::Test {
 protected:
  ConfigVariablesTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    context_.config.derived.spam_directory = dir_.path() + "spam/";
  }

  Result<int32_t> Get(int32_t id, void* buffer, int32_t size) {
    return GetConfigSetting(context_, id, buffer, size);
  }
  Status Set(int32_t id, const void* buffer, int32_t size) {
    return SetConfigSetting(context_, id, buffer, size);
  }
  std::string GetText(int32_t id) {
    std::array<char, 4096> buffer{};
    const Result<int32_t> n = Get(id, buffer.data(), static_cast<int32_t>(buffer.size()));
    return n.ok() ? std::string(buffer.data(), static_cast<size_t>(*n))
                  : "<" + KindOf(n.status()) + ">";
  }
  Status SetText(int32_t id, const std::string& text) {
    return Set(id, text.data(), static_cast<int32_t>(text.size()));
  }
  uint32_t GetNumber(int32_t id) {
    uint32_t value = 0;
    EXPECT_EQ(Get(id, &value, 4), 4);
    return value;
  }
  ServerConfig& record() { return context_.config.record; }

  testing::TempDir dir_;
  Context context_;
};

TEST_F(ConfigVariablesTest, NumbersFollowTheCallersSize) {
  record().SetNumber(1028, 2, 25);
  std::array<uint8_t, 8> buffer;
  buffer.fill(0xEE);
  EXPECT_EQ(Get(27, buffer.data(), 2), 2);
  EXPECT_EQ(buffer[0], 25);
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(buffer[2], 0xEE);
  EXPECT_EQ(Get(27, buffer.data(), 1), 1);
  EXPECT_EQ(Get(27, buffer.data(), 8), 4);
  EXPECT_EQ(Get(27, buffer.data(), 0), StatusCode::kBufferTooSmall);

  const uint32_t big = 70000;
  EXPECT_EQ(Set(12, &big, 4), StatusCode::kOk);
  EXPECT_EQ(record().Number(242, 2), 4464u) << "a 2-byte field keeps the low bytes";
  EXPECT_EQ(record().Number(244, 1), 0u) << "the next field is untouched";
}

TEST_F(ConfigVariablesTest, TextsUseTheirCurrentLengthAndCapacity) {
  record().SetText(offsets::kHostName, "mx.example.co");  // 13 characters
  std::array<char, 20> buffer{};
  EXPECT_EQ(Get(11, buffer.data(), 13), 13);
  EXPECT_EQ(Get(11, buffer.data(), 12), StatusCode::kBufferTooSmall);

  EXPECT_EQ(SetText(11, "  " + std::string(200, 'h') + "  "), StatusCode::kOk);
  EXPECT_EQ(record().Text(offsets::kHostName), std::string(127, 'h'));
  EXPECT_EQ(SetText(11, std::string(300, 'k')), StatusCode::kOk);
  EXPECT_EQ(record().Text(offsets::kHostName).size(), 127u);
  EXPECT_EQ(Set(11, nullptr, 40), StatusCode::kOk);
  EXPECT_EQ(record().Text(offsets::kHostName), "");
}

TEST_F(ConfigVariablesTest, FlagsAndInvertedFlags) {
  const uint8_t one = 1;
  EXPECT_EQ(Set(396, &one, 1), StatusCode::kOk);
  EXPECT_EQ(record().Byte(25532), 0);
  uint8_t flag = 9;
  EXPECT_EQ(Get(396, &flag, 1), 1);
  EXPECT_EQ(flag, 1);

  const uint32_t four = 0x100;
  EXPECT_EQ(Set(41, &four, 4), StatusCode::kOk);
  EXPECT_EQ(record().Byte(1432), 1);
  const uint8_t five = 5;
  EXPECT_EQ(Set(41, &five, 1), StatusCode::kOk);
  EXPECT_EQ(record().Byte(1432), 5) << "a one-byte flag is stored as given";
}

TEST_F(ConfigVariablesTest, BlocksNeedTheirWholeSizeOnGetAndReplaceTheStartOnSet) {
  std::array<uint8_t, 284> block;
  EXPECT_EQ(Get(149, block.data(), 283), StatusCode::kBufferTooSmall);
  EXPECT_EQ(Get(149, block.data(), 284), 284);

  std::memset(record().data() + 4292, 0x11, 284);
  const std::array<uint8_t, 10> head{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(Set(149, head.data(), 10), StatusCode::kOk);
  EXPECT_EQ(record().Byte(4292), 1);
  EXPECT_EQ(record().Byte(4301), 10);
  EXPECT_EQ(record().Byte(4302), 0x11);
}

TEST_F(ConfigVariablesTest, ModeSettingUsesTwoFlags) {
  const uint32_t two = 2;
  EXPECT_EQ(Set(126, &two, 4), StatusCode::kOk);
  EXPECT_EQ(record().Byte(3900), 0);
  EXPECT_EQ(record().Byte(3629), 1);
  EXPECT_EQ(GetNumber(126), 2u);
  const uint32_t one = 1;
  EXPECT_EQ(Set(126, &one, 4), StatusCode::kOk);
  EXPECT_EQ(GetNumber(126), 1u);
  record().SetByte(3629, 1);
  EXPECT_EQ(GetNumber(126), 1u) << "the first flag wins";
}

TEST_F(ConfigVariablesTest, SpecialTexts) {
  EXPECT_EQ(GetText(170), context_.api.config_path);
  EXPECT_EQ(GetText(266), context_.api.install_path);
  EXPECT_EQ(GetText(328), "3.1 (1.5)");
  EXPECT_EQ(GetText(4096), "8.5.0-8");

  context_.config.path_dat.line(4) = "tag";
  EXPECT_EQ(GetText(210), "tag");
  EXPECT_EQ(SetText(210, " node2 "), StatusCode::kOk);
  EXPECT_EQ(context_.config.path_dat.line(4), "node2");
}

TEST_F(ConfigVariablesTest, CharacterSettingMovesOneCharacter) {
  EXPECT_EQ(GetText(364), std::string(1, '\0'));
  EXPECT_EQ(SetText(364, "xyz"), StatusCode::kOk);
  EXPECT_EQ(record().Byte(24186), 'x');
  EXPECT_EQ(GetText(364), "x");
  EXPECT_EQ(SetText(364, ""), StatusCode::kOk);
  EXPECT_EQ(record().Byte(24186), 0);
  char one;
  EXPECT_EQ(Get(364, &one, 0), StatusCode::kBufferTooSmall);
}

TEST_F(ConfigVariablesTest, GetOnlyAndUnknownIdsChangeNothing) {
  const uint32_t value = 1;
  const auto refused = [&](int32_t id, StatusCode code) {
    context_.api.config_changed = false;
    EXPECT_EQ(Set(id, &value, 4), code) << id;
    EXPECT_FALSE(context_.api.config_changed) << id;
  };
  for (int32_t id : {170, 326, 327, 328, 375, 381, 4096, 4098}) {
    refused(id, StatusCode::kRefused);
  }
  for (int32_t id : {0, 10, 16, 329, 330, 331, 457, 4095, 4099, -7}) {
    refused(id, StatusCode::kNotFound);
  }
  for (int32_t id : {0, 16, 329, 330, 331, 457, 4099}) {
    std::array<char, 64> buffer{};
    EXPECT_EQ(Get(id, buffer.data(), 64), StatusCode::kNotFound) << id;
  }
  EXPECT_EQ(Set(4711, &value, 4).message(), "setting 4711 is unknown");
  EXPECT_EQ(Set(170, &value, 4).message(), "setting 170 can only be read");
}

TEST_F(ConfigVariablesTest, InstallPathSettingIsAcceptedAndIgnored) {
  EXPECT_EQ(SetText(266, "/elsewhere/"), StatusCode::kOk);
  EXPECT_TRUE(context_.api.config_changed);
  EXPECT_EQ(context_.api.install_path, dir_.path());
}

TEST_F(ConfigVariablesTest, WholeRecordRoundTrips) {
  record().SetText(offsets::kHostName, "packed.example");
  const std::string packed = GetText(4097);
  const ServerConfig before = record();
  record().SetText(offsets::kHostName, "changed");
  EXPECT_EQ(SetText(4097, packed), StatusCode::kOk);
  EXPECT_TRUE(record() == before);
  EXPECT_EQ(GetNumber(4098), 0u);
}

TEST_F(ConfigVariablesTest, SpamDatabaseHeader) {
  EXPECT_EQ(GetText(326), "");
  EXPECT_EQ(GetText(327), "");
  dir_.Write("spam/spam.db", "1200\t3\t4\tnot a date\tv5 text\nwords follow\n");
  EXPECT_EQ(GetText(326), "not a date");
  EXPECT_EQ(GetText(327), "v5 text");
  dir_.Write("spam/spam.db", "1200\t3\t4\t2024/2/29\tv5\n");
  EXPECT_EQ(GetText(326), "02/29/24") << "the C locale's short date";
}

TEST_F(ConfigVariablesTest, EverySettingRoundTripsThroughItsKind) {
  for (const ConfigField& field : ServerConfigFields()) {
    if (field.id == kNoSettingId) continue;
    std::array<uint8_t, 2048> in;
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>('a' + (i + field.id) % 26);
    const int32_t size = field.kind == FieldKind::kBlock  ? field.size
                         : field.kind == FieldKind::kText ? field.capacity()
                                                          : 1;
    ASSERT_EQ(Set(field.id, in.data(), size), StatusCode::kOk) << field.id;
    std::array<uint8_t, 2048> out{};
    ASSERT_EQ(Get(field.id, out.data(), size), size) << field.id;
    EXPECT_TRUE(std::memcmp(in.data(), out.data(), static_cast<size_t>(size)) == 0) << field.id;
  }
}

}  // namespace
}  // namespace tarvelin

namespace tarvelin {
namespace {

TEST(DescribeConfigSetting, ShapesOfPlainAndSpecialIds) {
  const struct {
    int32_t id;
    SettingShape shape;
  } cases[] = {
      {27, {SettingKind::kNumber, 2}},
      {11, {SettingKind::kText, 127}},
      {396, {SettingKind::kFlag, 1}},
      {149, {SettingKind::kBlock, 284}},
      {364, {SettingKind::kText, 1}},
      {126, {SettingKind::kNumber, 1}},
      {170, {SettingKind::kText, 255, false, /*writable=*/false}},
      {4097, {SettingKind::kText, 0}},  // the packed record has no fixed length
  };
  for (const auto& c : cases) {
    const Result<SettingShape> shape = DescribeConfigSetting(c.id);
    ASSERT_TRUE(shape.ok()) << c.id;
    EXPECT_EQ(*shape, c.shape) << c.id;
  }
  for (int32_t id : {16, 329}) {
    EXPECT_EQ(DescribeConfigSetting(id).status(), StatusCode::kNotFound) << id;
  }
}

}  // namespace
}  // namespace tarvelin
