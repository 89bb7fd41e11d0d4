// The typed get and set of every family of settings: a value set comes back
// as it was given, through the family's own bytes; a value that does not
// fit the id's shape is refused and leaves the record as it was.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "schema/user_settings.h"
#include "core/config/config_variables.h"
#include "core/context.h"
#include "core/schedules/schedule_settings.h"
#include "schema/domain_record_layout.h"
#include "schema/domain_settings.h"
#include "schema/remote_record_layout.h"
#include "schema/remote_settings.h"
#include "schema/schedule_layout.h"
#include "schema/server_config.h"
#include "schema/user_record.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

struct Family {
  std::function<Result<SettingValue>(int32_t id)> get;
  std::function<Status(int32_t id, const SettingValue& value)> set;
  std::function<std::vector<uint8_t>()> bytes;  // the record as it stands
};

struct Kept {
  int32_t id;
  SettingValue value;
};

struct Refused {
  int32_t id;
  SettingValue value;
  StatusCode code;
};

void ExpectKeptAndRefused(const Family& family, const std::vector<Kept>& kept,
                          const std::vector<Refused>& refused) {
  for (const Kept& c : kept) {
    ASSERT_TRUE(family.set(c.id, c.value).ok()) << c.id;
    const Result<SettingValue> back = family.get(c.id);
    ASSERT_TRUE(back.ok()) << c.id << ": " << back.status().ToString();
    EXPECT_TRUE(*back == c.value) << c.id;
  }
  for (const Refused& c : refused) {
    const std::vector<uint8_t> before = family.bytes();
    EXPECT_EQ(family.set(c.id, c.value), c.code) << c.id;
    EXPECT_EQ(family.bytes(), before) << c.id;
  }
}

TEST(SettingValueFamilies, Domain) {
  DomainRecord record{};
  const Family family{[&](int32_t id) { return DomainSettingValue(record.data(), id); },
                      [&](int32_t id, const SettingValue& v) {
                        return SetDomainSettingValue(record.data(), id, v);
                      },
                      [&] { return std::vector<uint8_t>(record.begin(), record.end()); }};
  ExpectKeptAndRefused(family,
                       {{11, SettingValue::Number(4294967295)},
                        {9, SettingValue::Number(65535)},
                        {10, SettingValue::Flag(true)},
                        {34, SettingValue::Flag(false)},
                        {3, SettingValue::Text(std::string(62, 'v'))},
                        {22, SettingValue::DateTime(47514.75)}},
                       {{9, SettingValue::Number(65536), StatusCode::kInvalidArgument},
                        {3, SettingValue::Text(std::string(63, 'v')), StatusCode::kInvalidArgument},
                        {16, SettingValue::Number(1), StatusCode::kInvalidArgument},
                        {2, SettingValue::Number(1), StatusCode::kNotFound}});
  const Result<SettingValue> packed = DomainSettingValue(record.data(), 32);
  ASSERT_TRUE(packed.ok());
  DomainRecord copy{};
  ASSERT_TRUE(SetDomainSettingValue(copy.data(), 32, *packed).ok());
  EXPECT_EQ(copy, record) << "the packed record carries every field";
}

TEST(SettingValueFamilies, RemoteAccount) {
  RemoteAccountRecord record{};
  const Family family{[&](int32_t id) { return RemoteSettingValue(record.data(), id); },
                      [&](int32_t id, const SettingValue& v) {
                        return SetRemoteSettingValue(record.data(), id, v);
                      },
                      [&] { return std::vector<uint8_t>(record.begin(), record.end()); }};
  std::vector<uint8_t> schedule(kScheduleRecordSize, 0xAB);
  ExpectKeptAndRefused(
      family,
      {{230, SettingValue::Text(std::string(60, 'x'))},
       {247, SettingValue::Number(255)},
       {241, SettingValue::Number(65535)},
       {228, SettingValue::Flag(true)},
       {246, SettingValue::Block(schedule)}},
      {{230, SettingValue::Text(std::string(61, 'x')), StatusCode::kInvalidArgument},
       {247, SettingValue::Number(256), StatusCode::kInvalidArgument},
       {246, SettingValue::Block(std::vector<uint8_t>(285)), StatusCode::kInvalidArgument},
       {249, SettingValue::Text("x"), StatusCode::kNotFound}});
}

TEST(SettingValueFamilies, Account) {
  UserRecord record{};
  const ServerConfig config;
  const Family family{
      [&](int32_t id) { return UserSettingValue(config, record.data(), id); },
      [&](int32_t id, const SettingValue& v) { return SetUserSettingValue(record.data(), id, v); },
      [&] { return std::vector<uint8_t>(record.begin(), record.end()); }};
  ExpectKeptAndRefused(
      family,
      {{0, SettingValue::Number(0)},
       {3, SettingValue::Text("john;js")},
       {33, SettingValue::Text(std::string(127, 'p'))},
       {58, SettingValue::Number(70000)},
       {23, SettingValue::Number(65535)},
       {65, SettingValue::Number(30)},
       {70, SettingValue::Flag(false)},
       {19, SettingValue::DateTime(47514.5)},
       {2, SettingValue::Text("John Smith")}},
      {{23, SettingValue::Number(65536), StatusCode::kInvalidArgument},
       {33, SettingValue::Text(std::string(128, 'p')), StatusCode::kInvalidArgument},
       {42, SettingValue::Number(256), StatusCode::kInvalidArgument},
       {19, SettingValue::Text("2030-01-31"), StatusCode::kInvalidArgument},
       {7, SettingValue::Number(1), StatusCode::kNotFound}});
  EXPECT_EQ(AliasListOf(record), "john;js");
  EXPECT_EQ(UserSettingValue(config, record.data(), 65)->number(), 30)
      << "the high half keeps its own value";
}

TEST(SettingValueFamilies, Configuration) {
  testing::TempDir dir;
  Context context;
  context.api.install_path = dir.path();
  context.api.config_path = dir.path() + "config/";
  const Family family{
      [&](int32_t id) { return ConfigSettingValue(context, id); },
      [&](int32_t id, const SettingValue& v) { return SetConfigSettingValue(context, id, v); },
      [&] {
        return std::vector<uint8_t>(context.config.record.data(),
                                    context.config.record.data() + ServerConfig::size());
      }};
  ExpectKeptAndRefused(family,
                       {{27, SettingValue::Number(2525)},
                        {11, SettingValue::Text("mx.example.org")},
                        {396, SettingValue::Flag(true)},
                        {364, SettingValue::Text("x")},
                        {126, SettingValue::Number(2)}},
                       {{27, SettingValue::Number(65536), StatusCode::kInvalidArgument},
                        {364, SettingValue::Text("xy"), StatusCode::kInvalidArgument},
                        {170, SettingValue::Text("/x"), StatusCode::kRefused},
                        {16, SettingValue::Number(1), StatusCode::kNotFound}});
  // The whole record travels packed.
  const Result<SettingValue> whole = ConfigSettingValue(context, 4097);
  ASSERT_TRUE(whole.ok()) << whole.status().ToString();
  ASSERT_TRUE(SetConfigSettingValue(context, 27, SettingValue::Number(25)).ok());
  ASSERT_TRUE(SetConfigSettingValue(context, 4097, *whole).ok());
  EXPECT_EQ(ConfigSettingValue(context, 27)->number(), 2525);
}

TEST(SettingValueFamilies, Schedule) {
  std::array<uint8_t, kScheduleRecordSize> block{};
  constexpr int32_t kItem = 3;
  const Family family{[&](int32_t type) { return ScheduleSettingValue(block.data(), kItem, type); },
                      [&](int32_t type, const SettingValue& v) {
                        return SetScheduleSettingValue(block.data(), kItem, type, v);
                      },
                      [&] { return std::vector<uint8_t>(block.begin(), block.end()); }};
  ExpectKeptAndRefused(family,
                       {{0, SettingValue::Flag(true)},
                        {4, SettingValue::Flag(true)},
                        {9, SettingValue::Number(255)},
                        {10, SettingValue::Number(-3600)},
                        {11, SettingValue::Number(4000000000)},
                        {13, SettingValue::Number(-5)},
                        {14, SettingValue::Number(2147483647)}},
                       {{9, SettingValue::Number(256), StatusCode::kInvalidArgument},
                        {13, SettingValue::Number(2147483648), StatusCode::kInvalidArgument},
                        {11, SettingValue::Number(-1), StatusCode::kInvalidArgument},
                        {1, SettingValue::Number(1), StatusCode::kNotFound}});
  EXPECT_EQ(SetScheduleSettingValue(block.data(), 7, 4, SettingValue::Flag(true)),
            StatusCode::kNotFound)
      << "an item outside 0 to 6";
}

}  // namespace
}  // namespace tarvelin
