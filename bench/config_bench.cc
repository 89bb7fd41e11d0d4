// Opening an installation and moving every global setting through the
// get/set path.
//   build/bench/config_bench
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/config/config_save.h"
#include "core/config/configuration.h"
#include "core/config/config_variables.h"
#include "schema/server_config_layout.h"
#include "store/file/file_domain_store.h"
#include "core/config/init.h"
#include "core/context.h"

namespace tarvelin {
namespace {

// A full installation: settings.cfg and 1,000 domains.
class Installation {
 public:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvelin-bench-XXXXXX");
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    Context context;
    context.api.install_path = path_;
    context.api.config_path = path_ + "config/";
    LoadConfiguration(context, false);
    for (int i = 0; i < 1000; ++i)
      context.domains().Append("domain" + std::to_string(i) + ".example");
    SaveConfiguration(context);
  }
  ~Installation() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::vector<int32_t> PlainIds() {
  std::vector<int32_t> ids;
  for (const ConfigField& field : ServerConfigFields()) {
    if (field.id != kNoSettingId) ids.push_back(field.id);
  }
  return ids;
}

void BM_InitFullSettings(benchmark::State& state) {
  Installation installation;
  for (auto _ : state) {
    Context context;
    benchmark::DoNotOptimize(Init(context, installation.path().c_str()));
  }
}
BENCHMARK(BM_InitFullSettings)->Unit(benchmark::kMicrosecond);

void BM_InitUnchanged(benchmark::State& state) {
  Installation installation;
  Context context;
  Init(context, installation.path().c_str());
  for (auto _ : state) benchmark::DoNotOptimize(Init(context, installation.path().c_str()));
}
BENCHMARK(BM_InitUnchanged);

void BM_GetEverySetting(benchmark::State& state) {
  Installation installation;
  Context context;
  Init(context, installation.path().c_str());
  const std::vector<int32_t> ids = PlainIds();
  std::array<uint8_t, 4096> buffer;
  for (auto _ : state) {
    for (int32_t id : ids) {
      benchmark::DoNotOptimize(GetConfigSetting(context, id, buffer.data(), 4096));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ids.size()));
}
BENCHMARK(BM_GetEverySetting);

void BM_SetEverySetting(benchmark::State& state) {
  Installation installation;
  Context context;
  Init(context, installation.path().c_str());
  const std::vector<int32_t> ids = PlainIds();
  std::array<uint8_t, 2048> buffer;
  buffer.fill('7');
  for (auto _ : state) {
    for (int32_t id : ids) {
      benchmark::DoNotOptimize(SetConfigSetting(context, id, buffer.data(), 2048));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ids.size()));
}
BENCHMARK(BM_SetEverySetting);

void BM_GetDomainIndex(benchmark::State& state) {
  Installation installation;
  Context context;
  Init(context, installation.path().c_str());
  for (auto _ : state) {
    benchmark::DoNotOptimize(context.domains().FindPosition("domain777.example", true));
  }
}
BENCHMARK(BM_GetDomainIndex);

// One setting changed and saved, nobody else writing: the lock and the
// stamp checks on top of writing both files.
void BM_SaveOneSetting(benchmark::State& state) {
  Installation installation;
  Context context;
  Init(context, installation.path().c_str());
  uint32_t port = 0;
  for (auto _ : state) {
    ++port;
    SetConfigSetting(context, 27, &port, 4);
    SaveConfig(context);
  }
}
BENCHMARK(BM_SaveOneSetting)->Unit(benchmark::kMicrosecond);

// The same after another program saved a change of its own: the reload of
// both files and the merge.
void BM_SaveOneSettingAfterAnotherProgram(benchmark::State& state) {
  Installation installation;
  Context context;
  Context other;
  Init(context, installation.path().c_str());
  Init(other, installation.path().c_str());
  uint32_t port = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ++port;
    SetConfigSetting(other, 27, &port, 4);
    SaveConfig(other);
    state.ResumeTiming();
    const std::string host = "merged-" + std::to_string(port) + ".example";
    SetConfigSetting(context, 11, host.data(), static_cast<int32_t>(host.size()));
    SaveConfig(context);
  }
}
BENCHMARK(BM_SaveOneSettingAfterAnotherProgram)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarvelin
