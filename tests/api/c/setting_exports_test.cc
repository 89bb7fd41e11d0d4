// The numbers the setting exports answer: the record-size checks and the
// mapping of each failure, on a Context of the test's own; and "not
// initialised" through the exports themselves, before any Init.
#include "api/c/setting_exports.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "api/c/api_result.h"
#include "core/context.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

constexpr int32_t kUser = 2848;
constexpr int32_t kDomain = 1169;
constexpr int32_t kRemote = 1828;
constexpr int32_t kSchedule = 284;

class SettingExportsTest : public ::testing::Test {
 protected:
  SettingExportsTest() {
    context_.api.initialised = true;
    context_.api.config_path = dir_.path() + "config/";
  }

  testing::TempDir dir_;
  Context context_;
};

// Every setting function refuses a null record and one a byte short of its
// size before it looks at the id, and touches neither record nor buffer.
TEST_F(SettingExportsTest, RecordsBelowTheirSizeGiveMinusThreeUntouched) {
  struct Case {
    const char* name;
    int32_t record_size;
    std::function<int32_t(void* record, int32_t record_size, void* buffer)> call;
  };
  const Case cases[] = {
      {"GetUserSetting", kUser,
       [&](void* r, int32_t n, void* b) { return GetUserSettingFor(context_, r, n, 0, b, 4); }},
      {"SetUserSetting", kUser,
       [&](void* r, int32_t n, void* b) { return SetUserSettingFor(r, n, 0, b, 4); }},
      {"SetUserDefaults", kUser,
       [&](void* r, int32_t n, void*) { return SetUserDefaultsFor(context_, r, n, 1); }},
      {"GetDomainSetting", kDomain,
       [&](void* r, int32_t n, void* b) { return GetDomainSettingFor(r, n, 1, b, 4); }},
      {"SetDomainSetting", kDomain,
       [&](void* r, int32_t n, void* b) { return SetDomainSettingFor(r, n, 1, b, 4); }},
      {"SetDomainDefaults", kDomain,
       [&](void* r, int32_t n, void*) { return SetDomainDefaultsFor(context_, r, n, 1); }},
      {"GetRASetting", kRemote,
       [&](void* r, int32_t n, void* b) { return GetRASettingFor(r, n, 228, b, 4); }},
      {"SetRASetting", kRemote,
       [&](void* r, int32_t n, void* b) { return SetRASettingFor(r, n, 228, b, 4); }},
      {"GetScheduleSetting", kSchedule,
       [&](void* r, int32_t n, void* b) { return GetScheduleSettingFor(r, n, 0, 8, b, 4); }},
      {"SetScheduleSetting", kSchedule,
       [&](void* r, int32_t n, void* b) { return SetScheduleSettingFor(r, n, 0, 8, b, 4); }},
      {"GetScheduleSetting of an unknown type", kSchedule,
       [&](void* r, int32_t n, void* b) { return GetScheduleSettingFor(r, n, 0, 1, b, 4); }},
  };
  dir_.Write("config/default.ini", "DomainDiskQuota=5\nAntiSpamIndex=2\n");
  for (const Case& c : cases) {
    std::vector<uint8_t> record(static_cast<size_t>(c.record_size), 0);
    uint32_t value = 0x01010101;
    EXPECT_EQ(c.call(record.data(), c.record_size - 1, &value), kResultBufferTooSmall) << c.name;
    EXPECT_EQ(c.call(nullptr, c.record_size, &value), kResultBufferTooSmall) << c.name;
    EXPECT_EQ(c.call(record.data(), 0, &value), kResultBufferTooSmall) << c.name;
    EXPECT_EQ(record, std::vector<uint8_t>(record.size(), 0)) << c.name;
    EXPECT_EQ(value, 0x01010101u) << c.name;
  }
}

TEST_F(SettingExportsTest, FailuresMapToTheirNumbers) {
  std::array<uint8_t, kUser> user{};
  std::array<uint8_t, kDomain> domain{};
  std::array<uint8_t, kRemote> remote{};
  std::array<uint8_t, kSchedule> schedule{};
  std::array<uint8_t, 8> buffer{};
  const uint32_t value = 1;
  struct Case {
    const char* name;
    int32_t result;
    int32_t expected;
  };
  const Case cases[] = {
      {"unknown account id", GetUserSettingFor(context_, user.data(), kUser, 7, &buffer, 8), -1},
      {"unknown account id set", SetUserSettingFor(user.data(), kUser, 7, &value, 4), -1},
      {"account date into 7 bytes", GetUserSettingFor(context_, user.data(), kUser, 19, &buffer, 7),
       -3},
      {"account number", GetUserSettingFor(context_, user.data(), kUser, 27, &buffer, 8), 4},
      {"account set", SetUserSettingFor(user.data(), kUser, 27, &value, 4), 0},
      {"unknown domain id", GetDomainSettingFor(domain.data(), kDomain, 2, &buffer, 8), -1},
      {"domain date into 7 bytes", GetDomainSettingFor(domain.data(), kDomain, 22, &buffer, 7), -3},
      {"short domain date", SetDomainSettingFor(domain.data(), kDomain, 22, &buffer, 7), -3},
      {"domain date", GetDomainSettingFor(domain.data(), kDomain, 22, &buffer, 8), 8},
      {"unknown remote id", SetRASettingFor(remote.data(), kRemote, 249, &value, 4), -1},
      {"remote schedule into 8 bytes", GetRASettingFor(remote.data(), kRemote, 246, &buffer, 8),
       -3},
      {"remote flag", GetRASettingFor(remote.data(), kRemote, 228, &buffer, 1), 1},
      {"unknown schedule type", SetScheduleSettingFor(schedule.data(), kSchedule, 0, 1, &value, 4),
       -1},
      {"schedule item 7", GetScheduleSettingFor(schedule.data(), kSchedule, 7, 2, &buffer, 1), -1},
      {"schedule flag into 0 bytes",
       GetScheduleSettingFor(schedule.data(), kSchedule, 0, 8, &buffer, 0), -3},
      {"schedule number", SetScheduleSettingFor(schedule.data(), kSchedule, 0, 9, &value, 4), 0},
      {"a larger record", GetUserSettingFor(context_, user.data(), kUser + 100, 0, &buffer, 4), 4},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.name;
}

TEST_F(SettingExportsTest, DefaultsAnswerTheRecordSizeWhenApplied) {
  std::array<uint8_t, kUser> user{};
  std::array<uint8_t, kDomain> domain{};
  EXPECT_EQ(SetUserDefaultsFor(context_, user.data(), kUser, 0), 0) << "variable 77 is off";
  EXPECT_EQ(SetDomainDefaultsFor(context_, domain.data(), kDomain, 0), 0);
  EXPECT_EQ(SetUserDefaultsFor(context_, user.data(), kUser, 1), kUser) << "even without a file";
  EXPECT_EQ(SetDomainDefaultsFor(context_, domain.data(), kDomain, 1), kDomain);
  context_.config.record.SetByte(1543, 1);  // variable 77
  EXPECT_EQ(SetUserDefaultsFor(context_, user.data(), kUser, 0), kUser);
  EXPECT_EQ(SetDomainDefaultsFor(context_, domain.data(), kDomain, 0), kDomain);
}

TEST(SettingExportsBeforeInit, AnswerMinusFiveForEveryId) {
  std::array<uint8_t, kRemote> record{};
  uint32_t value = 0;
  for (int32_t id : {-1, 0, 11, 27, 170, 4097, 99999}) {
    EXPECT_EQ(::GetConfigSetting(id, &value, 4), -5) << id;
    EXPECT_EQ(::SetConfigSetting(id, &value, 4), -5) << id;
  }
  EXPECT_EQ(::GetRASetting(record.data(), kRemote, 224, &value, 4), -5);
  EXPECT_EQ(::SetRASetting(record.data(), kRemote, 224, &value, 4), -5);
  EXPECT_EQ(::GetScheduleSetting(record.data(), kSchedule, 0, 8, &value, 4), -5);
  EXPECT_EQ(::SetScheduleSetting(record.data(), kSchedule, 0, 8, &value, 4), -5);
  EXPECT_EQ(::GetScheduleSetting(nullptr, 0, 0, 1, &value, 4), -5) << "before the record size";
}

}  // namespace
}  // namespace tarvelin
