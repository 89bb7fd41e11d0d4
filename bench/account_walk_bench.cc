// Account walks over one large domain: 100,000 user accounts, users.cfg
// about 285 MB, generated the same way on every run. A walk without a query
// against walks with queries, and the query condition alone, prepared once
// per walk against rendered and parsed for every record.
//   build/bench/account_walk_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "schema/query_filter.h"
#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "api/c/user_enum_state.h"
#include "schema/property_table.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "sample_accounts.h"

namespace tarvelin {
namespace {

constexpr int kAccounts = 100000;
constexpr char kDomain[] = "bench.example";

UserRecord MakeAccount(int i) { return bench::SampleAccount(i, kDomain); }

// The installation with its one domain, built once per process.
class BigDomain {
 public:
  BigDomain() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarvelin-walk-bench-XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    context_.api.initialised = true;
    context_.api.install_path = path_;
    context_.api.config_path = path_ + "config/";
    context_.env().CreateDirectories(context_.api.config_path + kDomain);
    context_.domains().Append(kDomain);
    WriteFileAtomic(context_.env(), path_ + "apiconst.pas",
                    "U_Type = 0; // integer\nU_Name = 2; // string\nU_Alias = 3; // string\n");
    std::string bytes;
    bytes.reserve(static_cast<size_t>(kAccounts) * kUserRecordSize);
    UserRecord stored;
    for (int i = 0; i < kAccounts; ++i) {
      records_.push_back(MakeAccount(i));
      StoredFromRecord(records_.back(), /*encipher=*/false, &stored);
      bytes.append(reinterpret_cast<const char*>(stored.data()), stored.size());
    }
    WriteFileAtomic(context_.env(), context_.api.config_path + kDomain + "/users.cfg", bytes);
  }
  ~BigDomain() { std::filesystem::remove_all(path_); }

  const Context& context() const { return context_; }
  const std::vector<UserRecord>& records() const { return records_; }

 private:
  std::string path_;
  Context context_;
  std::vector<UserRecord> records_;
};

BigDomain& Domain() {
  static BigDomain* const domain = new BigDomain;
  return *domain;
}

// One whole walk per iteration; counts the records read.
void Walk(benchmark::State& state, const std::string& query, int expected) {
  const Context& context = Domain().context();
  for (auto _ : state) {
    UserEnumState walk;
    if (!StartUserWalk(context, kDomain, query, 0, &walk)) state.SkipWithError("no walk");
    int delivered = 0;
    while (AdvanceUserWalk(context, &walk)) ++delivered;
    EndUserWalk(context, &walk);
    if (delivered != expected) state.SkipWithError("unexpected number of records");
  }
  state.SetItemsProcessed(state.iterations() * kAccounts);
}

void BM_WalkWithoutQuery(benchmark::State& state) { Walk(state, "", kAccounts); }
BENCHMARK(BM_WalkWithoutQuery)->Unit(benchmark::kMillisecond);

void BM_WalkTypeQuery(benchmark::State& state) { Walk(state, "U_Type = 0", kAccounts); }
BENCHMARK(BM_WalkTypeQuery)->Unit(benchmark::kMillisecond);

void BM_WalkLikeQuery(benchmark::State& state) {
  Walk(state, "(U_Alias like 'anna%') and (U_Type = 0)", kAccounts / 12 + 1);
}
BENCHMARK(BM_WalkLikeQuery)->Unit(benchmark::kMillisecond);

// The condition alone over records in memory.
void Condition(benchmark::State& state, bool prepared) {
  const Context& context = Domain().context();
  const QueryFilter filter(context.config.record, context.properties(), "U_Type = 0");
  const std::vector<UserRecord>& records = Domain().records();
  size_t i = 0;
  for (auto _ : state) {
    const uint8_t* record = records[i++ % records.size()].data();
    benchmark::DoNotOptimize(prepared ? filter.Accepts(record) : filter.AcceptsByReparsing(record));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ConditionPrepared(benchmark::State& state) { Condition(state, true); }
BENCHMARK(BM_ConditionPrepared);

void BM_ConditionReparsed(benchmark::State& state) { Condition(state, false); }
BENCHMARK(BM_ConditionReparsed);

}  // namespace
}  // namespace tarvelin
