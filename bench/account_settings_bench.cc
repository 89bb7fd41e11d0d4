// Moving every setting of an account record through the get/set path, and
// applying a defaults file to a new record.
//   build/bench/account_settings_bench
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

#include "core/accounts/account_defaults.h"
#include "schema/user_record_layout.h"
#include "schema/user_settings.h"
#include "config/defaults_file.h"
#include "schema/server_config.h"

namespace tarvelin {
namespace {

using Record = std::array<uint8_t, kUserRecordSize>;

// A user record with texts in every compound field.
Record SampleRecord(uint8_t type) {
  Record record{};
  record[0] = type;
  const auto set = [&](int32_t id, const std::string& text) {
    SetUserSetting(record.data(), id, text.data(), static_cast<int32_t>(text.size()));
  };
  set(3, "john.smith;john;4711;+49-30-1234");
  set(2, "John Smith;sales, second floor");
  set(46, "responder.txt;20250101-20250131");
  set(33, "correct horse battery staple");
  set(115, "a1,a2,a3,w1|w2;S;b1,b2");
  set(133, "left|right");
  return record;
}

void BM_GetEverySetting(benchmark::State& state) {
  const auto type = static_cast<uint8_t>(state.range(0));
  const ServerConfig config;
  const Record record = SampleRecord(type);
  const std::vector<int32_t> ids = UserSettingIds(type);
  std::vector<char> buffer(8192);
  for (auto _ : state) {
    for (int32_t id : ids) {
      if (id == 6) continue;  // the packed record is measured on its own
      benchmark::DoNotOptimize(GetUserSetting(config, record.data(), id, buffer.data(),
                                              static_cast<int32_t>(buffer.size())));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ids.size() - 1));
}
BENCHMARK(BM_GetEverySetting)->Arg(0)->Arg(1);

void BM_SetEverySetting(benchmark::State& state) {
  const auto type = static_cast<uint8_t>(state.range(0));
  Record record = SampleRecord(type);
  const std::vector<int32_t> ids = UserSettingIds(type);
  const std::string value = "1";
  for (auto _ : state) {
    for (int32_t id : ids) {
      if (id == 6) continue;
      benchmark::DoNotOptimize(SetUserSetting(record.data(), id, value.data(), 1));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ids.size() - 1));
}
BENCHMARK(BM_SetEverySetting)->Arg(0)->Arg(1);

void BM_PackedRecordRoundTrip(benchmark::State& state) {
  const ServerConfig config;
  Record record = SampleRecord(0);
  std::vector<char> buffer(8192);
  for (auto _ : state) {
    const Result<int32_t> n = GetUserSetting(config, record.data(), 6, buffer.data(),
                                             static_cast<int32_t>(buffer.size()));
    SetUserSetting(record.data(), 6, buffer.data(), n.value_or(0));
  }
}
BENCHMARK(BM_PackedRecordRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_ApplyAccountKeys(benchmark::State& state) {
  const std::vector<DefaultsLine> lines = ParseDefaultsFile(
      "AntiSpamIndex=1\nMailboxType=1\nRespondWith=0\nForwardTo=\"\"\n"
      "LimitMailboxSize=1\nLimitMailboxSizeValue=512000\nMegabyteSendLimit=100\n"
      "NumberSendLimit=70000\nMaxMessageSize=10240\nDeleteMailOlder=1\n"
      "DeleteMailOlderValue=365\nExpiresIfInactive=180\nExpiresInDays=365\nAuthMode=0\n"
      "ServicesAccessSMTP=1\nServicesAccessPOP3IMAP=1\nServicesAccessIM=0\n"
      "ServicesAccessWebMail=1\nServicesAccessAV=1\nServicesAccessSIP=0\nSpamFolderMode=1\n"
      "DomainAV=1\nAdministratorAlias=admin\n");
  for (auto _ : state) {
    Record record{};
    ApplyAccountKeys(lines, 45000.0, record.data());
    benchmark::DoNotOptimize(record);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}
BENCHMARK(BM_ApplyAccountKeys);

}  // namespace
}  // namespace tarvelin
