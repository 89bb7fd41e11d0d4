// db.so as the administration library calls it, on SQLite (engine 0) and
// on PostgreSQL over a Unix socket (engine 1): filling a new domain one
// DBSaveUsers each (goal: 2,000 accounts/s) and walking a domain's
// accounts with DBInitUsers/DBNextUser (goal: 200,000 records/s). Rates are
// of wall time.
//   build/bench/db_backend_bench
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "backend/db_exports_fixture.h"

namespace tarvelin::testing {
namespace {

constexpr size_t kEnumStateSize = 3552;

// One database per engine for the whole run, db.so connected to it.
struct Database {
  TempDir dir;
  std::string text;
  int domains = 0;
};

DbLibrary& Library() {
  static DbLibrary library;
  return library;
}

Database& DatabaseOf(DbLibrary& db, int engine) {
  static Database databases[2];
  Database& database = databases[engine];
  if (database.text.empty()) {
    database.text = ConnectionFactories()[engine].make(database.dir.path());
  }
  db.DBSetConnection(DbText(database.text).in());
  return database;
}

// A new domain with `accounts` accounts; its name, or "" with the reason
// in *why.
std::string FillDomain(DbLibrary& db, Database& database, int32_t accounts, std::string* why) {
  const std::string domain = "bench" + std::to_string(++database.domains) + ".example";
  db.DBAddDomain(DbText(domain).in());
  for (int32_t n = 0; n < accounts; ++n) {
    const std::string name = "user" + std::to_string(n);
    const UserRecord record =
        MakeRecord(AccountFields().aliases(name).mailbox(name).password("secret").full_name(
            "User Number " + std::to_string(n)));
    int32_t position = -1;
    if (db.DBSaveUsers(DbText(domain).in(), record.data(), &position) == 0) {
      *why = db.LastError();
      return "";
    }
  }
  return domain;
}

// Each run fills a new domain: the rate includes the domain growing.
void BM_AddAccounts(benchmark::State& state) {
  DbLibrary& db = Library();
  Database& database = DatabaseOf(db, static_cast<int>(state.range(0)));
  const int32_t accounts = static_cast<int32_t>(state.range(1));
  for (auto _ : state) {
    std::string why;
    if (FillDomain(db, database, accounts, &why).empty()) return state.SkipWithError(why.c_str());
  }
  state.SetItemsProcessed(state.iterations() * accounts);
}
BENCHMARK(BM_AddAccounts)
    ->Args({0, 2000})
    ->Args({1, 2000})
    ->ArgNames({"engine", "accounts"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_WalkAccounts(benchmark::State& state) {
  DbLibrary& db = Library();
  Database& database = DatabaseOf(db, static_cast<int>(state.range(0)));
  std::string why;
  const std::string domain = FillDomain(db, database, static_cast<int32_t>(state.range(1)), &why);
  if (domain.empty()) return state.SkipWithError(why.c_str());
  int64_t walked = 0;
  for (auto _ : state) {
    std::array<uint8_t, kEnumStateSize> walk{};
    if (db.DBInitUsers(DbText(domain).in(), walk.data(), -1, 0) == 0) {
      return state.SkipWithError(db.LastError().c_str());
    }
    while (db.DBNextUser(walk.data()) == 0) ++walked;
    db.DBDoneUsers(walk.data());
  }
  state.SetItemsProcessed(walked);
}
BENCHMARK(BM_WalkAccounts)
    ->Args({0, 10000})
    ->Args({1, 10000})
    ->ArgNames({"engine", "accounts"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tarvelin::testing
