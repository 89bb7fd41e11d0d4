// Domain records: loads through the cache against the file read it spares,
// the cache's additions at capacity, and the folder measurement of a quota
// check with and without size.dat.
//   build/bench/domains_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "schema/config_offsets.h"
#include "store/file/domain_file.h"
#include "core/domains/domain_records.h"
#include "mailstore/folder_size.h"
#include "foundation/expire_hash_collection.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "platform/posix_env.h"

namespace tarvelin {
namespace {

constexpr int kDomains = 1000;

std::string TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvelin-bench-XXXXXX");
  return std::string(mkdtemp(pattern.data())) + "/";
}

// 1,000 domains, each with its domain.cfg.
class Installation {
 public:
  explicit Installation(bool cache_on) : path_(TempFolder()) {
    context_.api.install_path = path_;
    context_.api.config_path = path_ + "config/";
    context_.config.record.SetNumber(offsets::kDomainCacheEntries, 4, kDomains);
    context_.config.record.SetByte(offsets::kCachesOff, cache_on ? 0 : 1);
    context_.domains().SetUpCache();
    DomainRecord record{};
    for (int i = 0; i < kDomains; ++i) {
      context_.domains().Append("domain" + std::to_string(i) + ".example");
      context_.domains().SaveRecord(context_.domains().NameAt(i), record);
    }
  }
  ~Installation() { std::filesystem::remove_all(path_); }
  Context& context() { return context_; }

 private:
  std::string path_;
  Context context_;
};

void BM_LoadDomainRecord(benchmark::State& state) {
  Installation installation(state.range(0) != 0);
  DomainRecord record;
  int i = 0;
  for (auto _ : state) {
    const std::string name = "domain" + std::to_string(i++ % kDomains) + ".example";
    benchmark::DoNotOptimize(LoadDomainRecord(installation.context(), name, &record));
  }
  state.SetLabel(state.range(0) != 0 ? "cache on" : "cache off");
}
BENCHMARK(BM_LoadDomainRecord)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Every addition of a new key at capacity evicts the entry used longest ago.
void BM_ExpireHashCollectionAddAtCapacity(benchmark::State& state) {
  const auto capacity = static_cast<size_t>(state.range(0));
  ExpireHashCollection<DomainRecord> cache(capacity, 30);
  const DomainRecord record{};
  int64_t key = 0;
  for (size_t i = 0; i < capacity; ++i) cache.Put(std::to_string(key++), record, 0);
  for (auto _ : state) cache.Put(std::to_string(key++), record, 0);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExpireHashCollectionAddAtCapacity)->Arg(32)->Arg(100000);

// A mailbox tree of 20 folders with 100 message files each.
void BM_MeasureFolder(benchmark::State& state) {
  const std::string root = TempFolder();
  PosixEnv env;
  for (int folder = 0; folder < 20; ++folder) {
    const std::string path = root + "box/f" + std::to_string(folder) + "/";
    env.CreateDirectories(path);
    for (int file = 0; file < 100; ++file) {
      WriteFileAtomic(env, path + std::to_string(file) + ".imap", "message");
    }
  }
  const FolderSizeCache cache{state.range(0) != 0, 1800, 0};
  for (auto _ : state) benchmark::DoNotOptimize(MeasureFolder(env, root + "box/", cache));
  state.SetLabel(state.range(0) != 0 ? "size.dat" : "scan");
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_MeasureFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarvelin
