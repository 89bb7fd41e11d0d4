// The account store of one large domain: 100,000 accounts, users.cfg about
// 285 MB, generated the same way on every run. Lookups by alias once the
// domain was read, the first lookup after another writer changed the file
// against one read-and-unscramble pass, and the same lookups as indexed
// SQLite SELECTs.
//   build/bench/account_store_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/file/account_cache.h"
#include "api/c/account_operations.h"
#include "core/accounts/account_operations.h"
#include "core/accounts/account_lookup.h"
#include "store/file/alias_index.h"
#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "store/file/users_file.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "platform/stamped_file.h"
#include "sample_accounts.h"

namespace tarvelin {
namespace {

constexpr int kAccounts = 100000;
constexpr char kDomain[] = "bench.example";
constexpr int kQueries = 4096;

UserRecord MakeAccount(int i) { return bench::SampleAccount(i, kDomain); }
std::string PrimaryAlias(int i) { return bench::SampleAlias(i); }

// The domain, built once per process.
class BigDomain {
 public:
  BigDomain() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarvelin-account-bench-XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    context_.api.install_path = path_;
    context_.api.config_path = path_ + "config/";
    context_.env().CreateDirectories(context_.api.config_path + kDomain);
    context_.domains().Append(kDomain);
    // The account cache as the configuration load sets it up by default.
    context_.config.record.SetNumber(offsets::kAccountCacheEntries, 4, 64);
    context_.config.record.SetNumber(offsets::kAccountCacheMegabytes, 4, 10);
    context_.config.record.SetByte(187, 1);  // passwords enciphered
    context_.accounts().SetUpCache();

    std::string bytes;
    bytes.reserve(static_cast<size_t>(kAccounts) * kUserRecordSize);
    UserRecord stored;
    for (int i = 0; i < kAccounts; ++i) {
      StoredFromRecord(MakeAccount(i), /*encipher=*/true, &stored);
      bytes.append(reinterpret_cast<const char*>(stored.data()), stored.size());
    }
    WriteFileAtomic(context_.env(), UsersPath(), bytes);
    WriteSqlite();

    std::mt19937 rng(20240611);
    for (int i = 0; i < kQueries; ++i) {
      const int account = static_cast<int>(rng() % kAccounts);
      // Mixed forms: the primary alias in another case, the second alias.
      queries_.push_back(i % 2 ? "U" + std::to_string(account) : PrimaryAlias(account));
    }
  }
  ~BigDomain() {
    sqlite3_close(db_);
    std::filesystem::remove_all(path_);
  }

  Context& context() { return context_; }
  std::string UsersPath() const { return context_.api.config_path + kDomain + "/users.cfg"; }
  std::string Folder() const { return context_.api.config_path + kDomain + "/"; }
  const std::string& Query(size_t i) const { return queries_[i % queries_.size()]; }
  sqlite3* db() const { return db_; }

 private:
  // The same aliases in an indexed table: alias (lower-case) -> position and
  // the record as stored.
  void WriteSqlite() {
    sqlite3_open((path_ + "accounts.db").c_str(), &db_);
    sqlite3_exec(db_,
                 "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                 "CREATE TABLE accounts(position INTEGER PRIMARY KEY, record BLOB);"
                 "CREATE TABLE aliases(alias TEXT PRIMARY KEY, position INTEGER) WITHOUT ROWID;",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* account = nullptr;
    sqlite3_stmt* alias = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO accounts VALUES(?, ?)", -1, &account, nullptr);
    sqlite3_prepare_v2(db_, "INSERT OR IGNORE INTO aliases VALUES(lower(?), ?)", -1, &alias,
                       nullptr);
    UserRecord stored;
    for (int i = 0; i < kAccounts; ++i) {
      StoredFromRecord(MakeAccount(i), true, &stored);
      sqlite3_bind_int(account, 1, i);
      sqlite3_bind_blob(account, 2, stored.data(), kUserRecordSize, SQLITE_STATIC);
      sqlite3_step(account);
      sqlite3_reset(account);
      const std::string primary = PrimaryAlias(i);
      for (const std::string& name : {primary, "U" + std::to_string(i), primary + ".alt"}) {
        sqlite3_bind_text(alias, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(alias, 2, i);
        sqlite3_step(alias);
        sqlite3_reset(alias);
      }
    }
    sqlite3_finalize(account);
    sqlite3_finalize(alias);
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  }

  std::string path_;
  Context context_;
  std::vector<std::string> queries_;
  sqlite3* db_ = nullptr;
};

// Removed with its files when the program ends.
BigDomain& Domain() {
  static BigDomain domain;
  return domain;
}

// The baseline of a rebuild: every record read and unscrambled once.
void BM_ReadAndUnscramblePass(benchmark::State& state) {
  BigDomain& domain = Domain();
  std::vector<uint8_t> buffer(256 * kUserRecordSize);
  for (auto _ : state) {
    StampedFile file;
    file.OpenFile(domain.context().env(), domain.UsersPath());
    int64_t offset = 0;
    uint64_t sum = 0;
    for (int64_t got; (got = file.ReadAt(offset, buffer.data(), buffer.size())) > 0;
         offset += got) {
      for (int64_t at = 0; at + kUserRecordSize <= got; at += kUserRecordSize) {
        ScrambleBytes(buffer.data() + at, kUserRecordSize, 0);
        sum += buffer[at + user_offsets::kAliasList];
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kAccounts} * kUserRecordSize);
}
BENCHMARK(BM_ReadAndUnscramblePass)->Unit(benchmark::kMillisecond)->Iterations(10);

// Another writer replaces one record (excluded from the time); the next
// lookup rebuilds the index in one pass over the new file.
void BM_FirstLookupAfterAnotherWriter(benchmark::State& state) {
  BigDomain& domain = Domain();
  size_t i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    int position = static_cast<int>(i * 7 % kAccounts);
    WriteUserAt(domain.context().env(), domain.Folder(), MakeAccount(position), &position, true);
    state.ResumeTiming();
    benchmark::DoNotOptimize(PositionOfAlias(domain.context(), kDomain, domain.Query(i++)));
  }
}
BENCHMARK(BM_FirstLookupAfterAnotherWriter)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PositionOfAlias(benchmark::State& state) {
  BigDomain& domain = Domain();
  PositionOfAlias(domain.context(), kDomain, "warm-up");
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PositionOfAlias(domain.context(), kDomain, domain.Query(i++)));
  }
}
BENCHMARK(BM_PositionOfAlias)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_AliasAvailable(benchmark::State& state) {
  BigDomain& domain = Domain();
  PositionOfAlias(domain.context(), kDomain, "warm-up");
  size_t i = 0;
  for (auto _ : state) {
    // Half taken, half free.
    const std::string alias = i % 2 ? domain.Query(i) : domain.Query(i) + ".new";
    benchmark::DoNotOptimize(AliasAvailable(domain.context(), kDomain, alias));
    ++i;
  }
}
BENCHMARK(BM_AliasAvailable)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_FindAccount(benchmark::State& state) {
  BigDomain& domain = Domain();
  PositionOfAlias(domain.context(), kDomain, "warm-up");
  std::vector<std::string> addresses;
  for (int i = 0; i < kQueries; ++i) addresses.push_back(domain.Query(i) + "@" + kDomain);
  size_t i = 0;
  FoundAccount found;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        FindAccount(domain.context(), addresses[i++ % addresses.size()], true, &found));
  }
}
BENCHMARK(BM_FindAccount)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// SQLite with a prepared statement on the primary key of the alias table.
void BM_SqlitePositionByAlias(benchmark::State& state) {
  BigDomain& domain = Domain();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(domain.db(), "SELECT position FROM aliases WHERE alias = lower(?)", -1,
                     &select, nullptr);
  size_t i = 0;
  for (auto _ : state) {
    const std::string& alias = domain.Query(i++);
    sqlite3_bind_text(select, 1, alias.c_str(), static_cast<int>(alias.size()), SQLITE_STATIC);
    if (sqlite3_step(select) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_int(select, 0));
    sqlite3_reset(select);
  }
  sqlite3_finalize(select);
}
BENCHMARK(BM_SqlitePositionByAlias)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The record as well, unscrambled as find account hands it out.
void BM_SqliteRecordByAlias(benchmark::State& state) {
  BigDomain& domain = Domain();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(domain.db(),
                     "SELECT record FROM accounts WHERE position = "
                     "(SELECT position FROM aliases WHERE alias = lower(?))",
                     -1, &select, nullptr);
  size_t i = 0;
  for (auto _ : state) {
    const std::string& alias = domain.Query(i++);
    sqlite3_bind_text(select, 1, alias.c_str(), static_cast<int>(alias.size()), SQLITE_STATIC);
    if (sqlite3_step(select) == SQLITE_ROW) {
      benchmark::DoNotOptimize(
          RecordFromStored(static_cast<const uint8_t*>(sqlite3_column_blob(select, 0))));
    }
    sqlite3_reset(select);
  }
  sqlite3_finalize(select);
}
BENCHMARK(BM_SqliteRecordByAlias)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// Memory of the index of the domain, per account, beyond the alias texts.
void BM_IndexMemory(benchmark::State& state) {
  BigDomain& domain = Domain();
  std::unique_ptr<AliasIndex> index;
  for (auto _ : state) {
    StampedFile file;
    file.OpenFile(domain.context().env(), domain.UsersPath());
    index = AliasIndex::Build(file);
  }
  state.counters["bytes_per_account"] =
      static_cast<double>(index->MemoryBytes()) / index->record_count();
  state.counters["beyond_alias_text"] =
      static_cast<double>(index->MemoryBytes() - index->AliasTextBytes()) / index->record_count();
}
BENCHMARK(BM_IndexMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// The writer: one record replaced, the file rewritten through users.cfg.tmp.
void BM_WriteAt(benchmark::State& state) {
  BigDomain& domain = Domain();
  int i = 0;
  for (auto _ : state) {
    int position = i++ * 13 % kAccounts;
    benchmark::DoNotOptimize(WriteUserAt(domain.context().env(), domain.Folder(),
                                         MakeAccount(position), &position, true));
  }
}
BENCHMARK(BM_WriteAt)->Unit(benchmark::kMillisecond)->Iterations(3);

// DeleteUser of one account with every follow-up (the group upkeep reads
// the domain's accounts once more), against the copy pass of BM_WriteAt.
void BM_DeleteUser(benchmark::State& state) {
  BigDomain& domain = Domain();
  domain.context().api.initialised = true;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(capi::DeleteUser(domain.context(), kDomain, i++ * 17 % (kAccounts / 2)));
  }
  domain.context().api.initialised = false;
}
BENCHMARK(BM_DeleteUser)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarvelin
