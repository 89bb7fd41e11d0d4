// Provisioning: 20,000 new user accounts added one AddUser call each into
// one domain in file storage, with the change log on, against SQLite
// inserting the same 20,000 rows one transaction each (default durability)
// into a table with a unique index on the alias, in the same run.
//   build/bench/account_provisioning_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "store/file/account_cache.h"
#include "api/c/account_operations.h"
#include "core/accounts/account_operations.h"
#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "log/log_kinds.h"
#include "platform/file_system.h"

namespace tarvelin {
namespace {

constexpr int kAccounts = 20000;
constexpr char kDomain[] = "bench.example";

UserRecord NewAccount(int i) {
  UserRecord record{};
  record[user_offsets::kAccountType] = kUserAccount;
  PutPString(record.data() + user_offsets::kAliasList, 255, "user" + std::to_string(i));
  PutPString(record.data() + user_offsets::kPassword, 127, "pw-" + std::to_string(i * 7919));
  return record;
}

std::string TempFolder(const char* name) {
  std::string pattern = (std::filesystem::temp_directory_path() / name).string() + "-XXXXXX";
  return std::string(mkdtemp(pattern.data())) + "/";
}

void BM_AddUser(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = TempFolder("tarvelin-provisioning-bench");
    auto context = std::make_unique<Context>();
    context->api.initialised = true;
    context->api.install_path = path;
    context->api.config_path = path + "config/";
    context->config.record.SetText(offsets::kMailRoot, path + "mail/");
    context->config.record.SetText(log_offsets::kLogDirectory, path + "logs/");
    context->config.record.SetByte(log_offsets::kChangeLog, 1);
    context->env().CreateDirectories(context->api.config_path + kDomain);
    context->env().CreateDirectories(path + "logs/");
    context->domains().Append(kDomain);
    context->accounts().SetUpCache();
    state.ResumeTiming();

    int failed = 0;
    for (int i = 0; i < kAccounts; ++i) {
      const UserRecord record = NewAccount(i);
      if (capi::AddUser(*context, kDomain, record.data(), kUserRecordSize) < 0) ++failed;
    }

    state.PauseTiming();
    if (failed != 0) state.SkipWithError("an account was not added");
    state.counters["accounts"] = kAccounts;
    std::filesystem::remove_all(path);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddUser)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_SqliteInsertEach(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = TempFolder("tarvelin-provisioning-sqlite");
    sqlite3* db = nullptr;
    sqlite3_open((path + "accounts.db").c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE accounts(alias TEXT NOT NULL, record BLOB);"
                 "CREATE UNIQUE INDEX accounts_alias ON accounts(alias);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO accounts VALUES(?, ?)", -1, &insert, nullptr);
    state.ResumeTiming();

    UserRecord stored;
    for (int i = 0; i < kAccounts; ++i) {
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
    std::filesystem::remove_all(path);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SqliteInsertEach)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace tarvelin
