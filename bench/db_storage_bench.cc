// Database storage (storage mode 2) against its references, in one run:
//  - find account among 100,000 accounts of one domain: with the account
//    caches off (variable 420), SQLite mode against a bare prepared SELECT
//    on an indexed alias table of the same accounts; with the caches on,
//    SQLite mode against file mode;
//  - AddUser x 20,000 into one domain: SQLite mode against SQLite inserting
//    the same rows one transaction each; PostgreSQL mode;
//  - 1,000,000 accounts (100 domains x 10,000) in PostgreSQL: find account
//    and login search (auth mode 0) latencies, and walks with a query.
// Lookups report p50/p99 in microseconds as counters. The PostgreSQL server
// is the tests' own (initdb + pg_ctl in a scratch folder, Unix socket only).
// The databases are filled through the backend engine directly, each
// account by the same SaveAccount db.so uses; the fill is not measured.
//   build/bench/db_storage_bench --benchmark_filter='^BM_(FindAccount|AddUser)'
//   build/bench/db_storage_bench --benchmark_filter=Million
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "api/c/account_operations.h"
#include "api/c/auth_functions.h"
#include "api/c/user_enum_state.h"
#include "backend/account_table.h"
#include "backend/connection_settings.h"
#include "backend/connections.h"
#include "core/accounts/account_lookup.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "sample_accounts.h"
#include "store/db/backend_library.h"
#include "schema/config_offsets.h"
#include "store/db/connection_text.h"
#include "store/file/stored_record.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::StorageMode;
using testing::StorageModeInstallation;

constexpr char kDomain[] = "bench.example";
constexpr int kAccounts = 100000;
constexpr int kQueries = 4096;
constexpr int kAdds = 20000;
constexpr int kMillionDomains = 100;
constexpr int kPerMillionDomain = 10000;

// Each call timed on its own: items/s, and p50/p99 in microseconds.
void TimeEach(benchmark::State& state, int count, const std::function<bool(int)>& call) {
  std::vector<double> micros;
  micros.reserve(count);
  int failed = 0;
  for (auto _ : state) {
    for (int i = 0; i < count; ++i) {
      const auto start = std::chrono::steady_clock::now();
      if (!call(i)) ++failed;
      micros.push_back(std::chrono::duration<double, std::micro>(
                           std::chrono::steady_clock::now() - start)
                           .count());
    }
  }
  if (failed != 0) state.SkipWithError((std::to_string(failed) + " calls failed").c_str());
  std::sort(micros.begin(), micros.end());
  state.SetItemsProcessed(static_cast<int64_t>(micros.size()));
  state.counters["p50_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

// The backend engine on the installation's own database, for filling it.
std::unique_ptr<backend::SqlConnection> EngineOf(Context& context) {
  const std::string text = ResolveConnectionText(
      context.config.record.Text(offsets::kAccountDatabase), context.api.config_path);
  auto settings = backend::ParseConnectionText(text);
  if (!settings.ok()) return nullptr;
  auto connection = backend::OpenConnection(*settings);
  if (!connection.ok()) {
    std::fprintf(stderr, "cannot open the database: %s\n",
                 connection.status().ToString().c_str());
    return nullptr;
  }
  // Durability is not what the fill is about.
  const bool sqlite = (*connection)->dialect() == backend::Dialect::kSqlite;
  (*connection)->Execute(sqlite ? "PRAGMA synchronous = OFF" : "SET synchronous_commit = off");
  return std::move(*connection);
}

// Appends SampleAccount(first .. first + count - 1) to the domain.
bool FillThroughEngine(backend::SqlConnection& connection, const std::string& domain, int first,
                       int count) {
  for (int i = first; i < first + count; ++i) {
    int32_t position = -1;
    const Status saved =
        backend::SaveAccount(connection, domain, bench::SampleAccount(i, domain), &position);
    if (!saved.ok()) {
      std::fprintf(stderr, "fill of %s: %s\n", domain.c_str(), saved.ToString().c_str());
      return false;
    }
  }
  return true;
}

// Addresses of random accounts of [0, accounts), half by the primary alias,
// half by the second alias in another case.
std::vector<std::string> RandomAddresses(int accounts, int per_domain,
                                         const std::function<std::string(int)>& domain_of) {
  std::mt19937 rng(20240611);
  std::vector<std::string> addresses;
  for (int i = 0; i < kQueries; ++i) {
    const int account = static_cast<int>(rng() % accounts);
    const std::string local =
        i % 2 ? "u" + std::to_string(account) : bench::SampleAlias(account);
    addresses.push_back(local + "@" + domain_of(account / per_domain));
  }
  return addresses;
}

// One domain of kAccounts accounts in a storage mode, made once per process.
class BigDomain {
 public:
  explicit BigDomain(StorageMode mode) : installation_(mode, {kDomain}) {
    if (!installation_.why().empty()) {
      why_ = installation_.why();
      return;
    }
    Context& context = installation_.context();
    if (mode == StorageMode::kFiles) {
      // users.cfg as the store writes it, in one go.
      std::string bytes;
      bytes.reserve(static_cast<size_t>(kAccounts) * kUserRecordSize);
      UserRecord stored;
      const bool encipher = context.config.record.Byte(187) != 0;  // variable 205
      for (int i = 0; i < kAccounts; ++i) {
        StoredFromRecord(bench::SampleAccount(i, kDomain), encipher, &stored);
        bytes.append(reinterpret_cast<const char*>(stored.data()), stored.size());
      }
      WriteFileAtomic(context.env(), context.api.config_path + kDomain + "/users.cfg", bytes);
    } else {
      auto engine = EngineOf(context);
      if (engine == nullptr || !FillThroughEngine(*engine, kDomain, 0, kAccounts)) {
        why_ = "cannot fill the database";
      }
    }
    if (context.accounts().Count(kDomain) != kAccounts) why_ = "the domain is not full";
    addresses_ = RandomAddresses(kAccounts, kAccounts, [](int) { return kDomain; });
  }

  const std::string& why() const { return why_; }
  Context& context() { return installation_.context(); }
  const std::string& install() const { return installation_.install(); }
  const std::vector<std::string>& addresses() const { return addresses_; }

  // The account caches off (variable 420), or on with room for every
  // queried account (variable 424; the database mode sizes its cache by it
  // alone).
  void SetCaches(bool on) {
    context().config.record.SetByte(offsets::kCachesOff, on ? 0 : 1);
    if (on) {
      std::fprintf(stderr, "variable 424 as installed: %u; set to %d\n",
                   context().config.record.Number(offsets::kAccountCacheEntries, 4), 2 * kQueries);
      context().config.record.SetNumber(offsets::kAccountCacheEntries, 4, 2 * kQueries);
    }
    context().accounts().SetUpCache();
  }

 private:
  StorageModeInstallation installation_;
  std::string why_;
  std::vector<std::string> addresses_;
};

BigDomain& DomainIn(StorageMode mode) {
  static BigDomain* files = nullptr;
  static BigDomain* sqlite = nullptr;
  BigDomain*& domain = mode == StorageMode::kFiles ? files : sqlite;
  if (domain == nullptr) domain = new BigDomain(mode);
  return *domain;
}

void FindAccounts(benchmark::State& state, StorageMode mode, bool caches) {
  BigDomain& domain = DomainIn(mode);
  if (!domain.why().empty()) return state.SkipWithError(domain.why().c_str());
  domain.SetCaches(caches);
  FoundAccount found;
  if (caches) {  // every queried account once in the cache
    for (const std::string& address : domain.addresses()) {
      FindAccount(domain.context(), address, true, &found);
    }
  }
  TimeEach(state, kQueries, [&](int i) {
    return FindAccount(domain.context(), domain.addresses()[i], true, &found);
  });
}

void BM_FindAccountCacheOff_Sqlite(benchmark::State& state) {
  FindAccounts(state, StorageMode::kSqlite, false);
}
BENCHMARK(BM_FindAccountCacheOff_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The two db.so calls a find without the cache makes, each timed alone:
// the record by address, then its position by alias.
void BM_FindAccountParts_Sqlite(benchmark::State& state) {
  BigDomain& domain = DomainIn(StorageMode::kSqlite);
  if (!domain.why().empty()) return state.SkipWithError(domain.why().c_str());
  BackendLibrary& backend = domain.context().backend();
  std::vector<double> record_us;
  std::vector<double> position_us;
  int failed = 0;
  for (auto _ : state) {
    for (const std::string& address : domain.addresses()) {
      UserRecord record;
      const auto start = std::chrono::steady_clock::now();
      if (!backend.GetLocalUser(address, record.data())) ++failed;
      const auto middle = std::chrono::steady_clock::now();
      if (backend.GetUsersIndex(kDomain, address.substr(0, address.find('@'))) < 0) ++failed;
      const auto end = std::chrono::steady_clock::now();
      record_us.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
      position_us.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
    }
  }
  if (failed != 0) state.SkipWithError("a call failed");
  std::sort(record_us.begin(), record_us.end());
  std::sort(position_us.begin(), position_us.end());
  state.counters["record_p50_us"] = record_us[record_us.size() / 2];
  state.counters["position_p50_us"] = position_us[position_us.size() / 2];
  state.SetItemsProcessed(static_cast<int64_t>(record_us.size()));
}
BENCHMARK(BM_FindAccountParts_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same keys as a prepared SELECT on an indexed table of aliases and the
// records, in the same folder: what one lookup costs SQLite itself.
void BM_FindAccountBareSelect(benchmark::State& state) {
  BigDomain& domain = DomainIn(StorageMode::kSqlite);
  if (!domain.why().empty()) return state.SkipWithError(domain.why().c_str());
  sqlite3* db = nullptr;
  sqlite3_open((domain.install() + "bare.db").c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"
               "CREATE TABLE accounts(id INTEGER PRIMARY KEY, record BLOB);"
               "CREATE TABLE aliases(alias TEXT NOT NULL, id INTEGER NOT NULL);"
               "CREATE INDEX aliases_alias ON aliases(alias); BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* account = nullptr;
  sqlite3_stmt* alias = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO accounts VALUES(?, ?)", -1, &account, nullptr);
  sqlite3_prepare_v2(db, "INSERT INTO aliases VALUES(lower(?), ?)", -1, &alias, nullptr);
  for (int i = 0; i < kAccounts; ++i) {
    const UserRecord record = bench::SampleAccount(i, kDomain);
    sqlite3_bind_int(account, 1, i);
    sqlite3_bind_blob(account, 2, record.data(), kUserRecordSize, SQLITE_TRANSIENT);
    sqlite3_step(account);
    sqlite3_reset(account);
    const std::string primary = bench::SampleAlias(i);
    for (const std::string& name : {primary, "U" + std::to_string(i), primary + ".alt"}) {
      sqlite3_bind_text(alias, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(alias, 2, i);
      sqlite3_step(alias);
      sqlite3_reset(alias);
    }
  }
  sqlite3_finalize(account);
  sqlite3_finalize(alias);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT a.record FROM aliases l JOIN accounts a ON a.id = l.id "
                     "WHERE l.alias = lower(?) LIMIT 1",
                     -1, &select, nullptr);
  UserRecord record;
  TimeEach(state, kQueries, [&](int i) {
    const std::string& address = domain.addresses()[i];
    const std::string local = address.substr(0, address.find('@'));
    sqlite3_bind_text(select, 1, local.c_str(), static_cast<int>(local.size()), SQLITE_STATIC);
    const bool found = sqlite3_step(select) == SQLITE_ROW;
    if (found) std::copy_n(static_cast<const uint8_t*>(sqlite3_column_blob(select, 0)),
                           kUserRecordSize, record.begin());
    sqlite3_reset(select);
    benchmark::DoNotOptimize(record);
    return found;
  });
  sqlite3_finalize(select);
  sqlite3_close(db);
}
BENCHMARK(BM_FindAccountBareSelect)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_FindAccountCacheOn_Sqlite(benchmark::State& state) {
  FindAccounts(state, StorageMode::kSqlite, true);
}
BENCHMARK(BM_FindAccountCacheOn_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_FindAccountCacheOn_Files(benchmark::State& state) {
  FindAccounts(state, StorageMode::kFiles, true);
}
BENCHMARK(BM_FindAccountCacheOn_Files)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

UserRecord NewAccount(int i) {
  UserRecord record{};
  record[user_offsets::kAccountType] = kUserAccount;
  PutPString(record.data() + user_offsets::kAliasList, 255, "user" + std::to_string(i));
  PutPString(record.data() + user_offsets::kPassword, 127, "pw-" + std::to_string(i * 7919));
  return record;
}

// kAdds AddUser calls into one new domain of a fresh installation.
void AddUsers(benchmark::State& state, StorageMode mode) {
  for (auto _ : state) {
    state.PauseTiming();
    auto installation = std::make_unique<StorageModeInstallation>(mode,
                                                                  std::vector<std::string>{kDomain});
    if (!installation->why().empty()) return state.SkipWithError(installation->why().c_str());
    Context& context = installation->context();
    state.ResumeTiming();

    int failed = 0;
    for (int i = 0; i < kAdds; ++i) {
      const UserRecord record = NewAccount(i);
      if (capi::AddUser(context, kDomain, record.data(), kUserRecordSize) < 0) ++failed;
    }

    state.PauseTiming();
    if (failed != 0) state.SkipWithError("an account was not added");
    if (context.accounts().Count(kDomain) != kAdds) state.SkipWithError("accounts missing");
    installation.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kAdds);
}

void BM_AddUser_Sqlite(benchmark::State& state) { AddUsers(state, StorageMode::kSqlite); }
BENCHMARK(BM_AddUser_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_AddUser_Postgres(benchmark::State& state) { AddUsers(state, StorageMode::kPostgres); }
BENCHMARK(BM_AddUser_Postgres)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The reference of account_provisioning_bench: one transaction per row, a
// unique index on the alias, default durability.
void BM_AddUserSqliteReference(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    testing::TempDir dir;
    sqlite3* db = nullptr;
    sqlite3_open((dir.path() + "accounts.db").c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE accounts(alias TEXT NOT NULL, record BLOB);"
                 "CREATE UNIQUE INDEX accounts_alias ON accounts(alias);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO accounts VALUES(?, ?)", -1, &insert, nullptr);
    state.ResumeTiming();

    UserRecord stored;
    for (int i = 0; i < kAdds; ++i) {
      StoredFromRecord(NewAccount(i), /*encipher=*/false, &stored);
      const std::string alias = "user" + std::to_string(i);
      sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
      sqlite3_bind_text(insert, 1, alias.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_blob(insert, 2, stored.data(), kUserRecordSize, SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }

    state.PauseTiming();
    sqlite3_finalize(insert);
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kAdds);
}
BENCHMARK(BM_AddUserSqliteReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

std::string MillionDomain(int d) {
  char name[32];
  std::snprintf(name, sizeof name, "d%02d.example", d);
  return name;
}

// 100 domains of 10,000 accounts in PostgreSQL; account n (0 .. 999,999) is
// SampleAccount(n) in domain n / 10,000, so mailbox names are unique.
class MillionAccounts {
 public:
  MillionAccounts() : installation_(StorageMode::kPostgres, Names()) {
    if (!installation_.why().empty()) {
      why_ = installation_.why();
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    auto engine = EngineOf(installation_.context());
    for (int d = 0; d < kMillionDomains && why_.empty(); ++d) {
      if (engine == nullptr ||
          !FillThroughEngine(*engine, MillionDomain(d), d * kPerMillionDomain, kPerMillionDomain)) {
        why_ = "cannot fill the database";
      }
    }
    std::fprintf(stderr, "filled 1,000,000 accounts in %.0f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    addresses_ = RandomAddresses(kMillionDomains * kPerMillionDomain, kPerMillionDomain,
                                 MillionDomain);
  }

  const std::string& why() const { return why_; }
  Context& context() { return installation_.context(); }
  const std::vector<std::string>& addresses() const { return addresses_; }

 private:
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int d = 0; d < kMillionDomains; ++d) names.push_back(MillionDomain(d));
    return names;
  }

  StorageModeInstallation installation_;
  std::string why_;
  std::vector<std::string> addresses_;
};

MillionAccounts& Million() {
  static MillionAccounts* const million = new MillionAccounts;
  return *million;
}

void BM_MillionFindAccount(benchmark::State& state) {
  MillionAccounts& million = Million();
  if (!million.why().empty()) return state.SkipWithError(million.why().c_str());
  FoundAccount found;
  TimeEach(state, kQueries, [&](int i) {
    return FindAccount(million.context(), million.addresses()[i], true, &found);
  });
}
BENCHMARK(BM_MillionFindAccount)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Auth mode 0: the login is the mailbox name, searched in every domain.
void BM_MillionLogin(benchmark::State& state) {
  MillionAccounts& million = Million();
  if (!million.why().empty()) return state.SkipWithError(million.why().c_str());
  std::mt19937 rng(7);
  std::vector<int> accounts;
  for (int i = 0; i < kQueries; ++i) {
    accounts.push_back(static_cast<int>(rng() % (kMillionDomains * kPerMillionDomain)));
  }
  UserRecord record;
  int32_t index = 0;
  TimeEach(state, kQueries, [&](int i) {
    const std::string login = bench::SampleAlias(accounts[i]);
    const std::string password = "pw-" + std::to_string(accounts[i] * 7919);
    return AuthenticateUser(million.context(), login.c_str(), password.c_str(), "", &index,
                            record.data(), kUserRecordSize) == kUserRecordSize;
  });
}
BENCHMARK(BM_MillionLogin)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Every domain walked with a query db.so applies; records/s.
void BM_MillionWalkTypeQuery(benchmark::State& state) {
  MillionAccounts& million = Million();
  if (!million.why().empty()) return state.SkipWithError(million.why().c_str());
  int64_t delivered = 0;
  for (auto _ : state) {
    for (int d = 0; d < kMillionDomains; ++d) {
      UserEnumState walk;
      if (!StartUserWalk(million.context(), MillionDomain(d), "U_Type = 0", 0, &walk)) {
        return state.SkipWithError("no walk");
      }
      while (AdvanceUserWalk(million.context(), &walk)) ++delivered;
      EndUserWalk(million.context(), &walk);
    }
  }
  if (delivered != state.iterations() * kMillionDomains * kPerMillionDomain) {
    state.SkipWithError("records missing from the walk");
  }
  state.SetItemsProcessed(delivered);
}
BENCHMARK(BM_MillionWalkTypeQuery)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace tarvelin
