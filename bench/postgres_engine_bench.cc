// The PostgreSQL engine over a Unix socket, on a private server: adding
// account-sized rows one statement each (the backend's goal: 2,000
// accounts/s), and walking them (goal: 200,000 records of 2848 bytes/s).
//   build/bench/postgres_engine_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "backend/postgres_connection.h"
#include "support/postgres_server.h"

namespace tarvelin::backend {
namespace {

constexpr size_t kRecordSize = 2848;

// One server for the whole run.
testing::PostgresServer& Server() {
  static testing::PostgresServer server;
  return server;
}

std::unique_ptr<SqlConnection> Connect(benchmark::State& state) {
  if (!Server().ok()) {
    state.SkipWithError(Server().why().c_str());
    return nullptr;
  }
  auto connection = OpenPostgres(*ParseConnectionText(Server().BackendConnectionText()));
  if (!connection.ok()) {
    state.SkipWithError(connection.status().ToString().c_str());
    return nullptr;
  }
  Status made =
      (*connection)
          ->Execute(
              "DROP TABLE IF EXISTS bench_accounts;"
              "CREATE TABLE bench_accounts (domain BYTEA NOT NULL, position BIGINT NOT NULL,"
              " alias BYTEA NOT NULL, record BYTEA NOT NULL, PRIMARY KEY (domain, position))");
  if (!made.ok()) {
    state.SkipWithError(made.ToString().c_str());
    return nullptr;
  }
  return std::move(*connection);
}

Status Add(SqlConnection& db, int64_t position, const std::string& record) {
  auto insert = db.Prepare(
      "INSERT INTO bench_accounts (domain, position, alias, record) VALUES (?, ?, ?, ?)");
  if (!insert.ok()) return insert.status();
  (*insert)->BindBytes(1, "example.com");
  (*insert)->BindInt(2, position);
  (*insert)->BindBytes(3, "user" + std::to_string(position));
  (*insert)->BindBytes(4, record);
  auto done = (*insert)->Step();
  return done.ok() ? Status::Ok() : done.status();
}

void BM_PostgresAddAccountRow(benchmark::State& state) {
  auto db = Connect(state);
  if (db == nullptr) return;
  const std::string record(kRecordSize, 'r');
  int64_t position = 0;
  for (auto _ : state) {
    Status added = Add(*db, position++, record);
    if (!added.ok()) state.SkipWithError(added.ToString().c_str());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostgresAddAccountRow)->Unit(benchmark::kMicrosecond);

void BM_PostgresWalkAccountRows(benchmark::State& state) {
  auto db = Connect(state);
  if (db == nullptr) return;
  const std::string record(kRecordSize, 'r');
  const int64_t rows = state.range(0);
  if (!db->Begin(true).ok()) return state.SkipWithError("BEGIN failed");
  for (int64_t position = 0; position < rows; ++position) Add(*db, position, record);
  if (!db->Commit().ok()) return state.SkipWithError("COMMIT failed");
  for (auto _ : state) {
    auto walk = db->Prepare(
        "SELECT position, record FROM bench_accounts WHERE domain = ? ORDER BY position");
    (*walk)->BindBytes(1, "example.com");
    size_t bytes = 0;
    for (auto row = (*walk)->Step(); row.ok() && *row; row = (*walk)->Step()) {
      bytes += (*walk)->ColumnBytes(1).size();
    }
    if (bytes != rows * kRecordSize) state.SkipWithError("the walk missed rows");
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_PostgresWalkAccountRows)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvelin::backend
