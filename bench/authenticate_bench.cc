// Logins on a store of 100 domains of 1,000 accounts each (users.cfg files,
// generated on every run), warm: the logins of the run were made once, so
// the account cache holds them, as it does for the clients of a busy
// server. Against the same lookup in an indexed SQLite table, also warm.
//   build/bench/authenticate_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/file/account_cache.h"
#include "api/c/auth_functions.h"
#include "foundation/secret_compare.h"
#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "platform/file_system.h"

namespace tarvelin {
namespace {

constexpr int kDomains = 100;
constexpr int kAccountsPerDomain = 1000;
constexpr int kLogins = 512;

std::string DomainName(int d) { return "d" + std::to_string(d) + ".example"; }
std::string Mailbox(int d, int a) { return "user" + std::to_string(a) + "." + std::to_string(d); }
std::string Password(int d, int a) { return "pw-" + std::to_string(d * 7919 + a); }

UserRecord MakeAccount(int d, int a) {
  UserRecord record{};
  record[user_offsets::kAccountType] = kUserAccount;
  PutPString(record.data() + user_offsets::kAliasList, 255, "a" + std::to_string(a) + ";x");
  PutPString(record.data() + user_offsets::kMailbox, 127, Mailbox(d, a));
  PutPString(record.data() + user_offsets::kPassword, 127, Password(d, a));
  return record;
}

class Store {
 public:
  Store() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarvelin-auth-bench-XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    context_.api.install_path = path_;
    context_.api.config_path = path_ + "config/";
    context_.api.initialised = true;
    context_.config.record.SetNumber(offsets::kAccountCacheEntries, 4, 1024);
    context_.config.record.SetByte(187, 1);  // passwords enciphered
    context_.accounts().SetUpCache();

    sqlite3_open((path_ + "logins.db").c_str(), &db_);
    sqlite3_exec(db_,
                 "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                 "CREATE TABLE logins(mailbox TEXT PRIMARY KEY, domain TEXT, password TEXT,"
                 " record BLOB) WITHOUT ROWID; BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO logins VALUES(?, ?, ?, ?)", -1, &insert, nullptr);
    UserRecord stored;
    for (int d = 0; d < kDomains; ++d) {
      context_.domains().Append(DomainName(d));
      std::string bytes;
      for (int a = 0; a < kAccountsPerDomain; ++a) {
        StoredFromRecord(MakeAccount(d, a), /*encipher=*/true, &stored);
        bytes.append(reinterpret_cast<const char*>(stored.data()), stored.size());
        sqlite3_bind_text(insert, 1, Mailbox(d, a).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, DomainName(d).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, Password(d, a).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 4, stored.data(), kUserRecordSize, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
      }
      context_.env().CreateDirectories(context_.api.config_path + DomainName(d));
      WriteFileAtomic(context_.env(), context_.api.config_path + DomainName(d) + "/users.cfg", bytes);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);

    std::mt19937 rng(20261210);
    for (int i = 0; i < kLogins; ++i) {
      const int d = static_cast<int>(rng() % kDomains);
      const int a = static_cast<int>(rng() % kAccountsPerDomain);
      logins_.push_back({Mailbox(d, a), Password(d, a)});
    }
  }
  ~Store() {
    sqlite3_close(db_);
    std::filesystem::remove_all(path_);
  }

  struct Login {
    std::string name;
    std::string password;
  };
  Context& context() { return context_; }
  const std::vector<Login>& logins() const { return logins_; }
  sqlite3* db() const { return db_; }

 private:
  std::string path_;
  Context context_;
  std::vector<Login> logins_;
  sqlite3* db_ = nullptr;
};

Store& TheStore() {
  static Store store;
  return store;
}

void BM_AuthenticateUser(benchmark::State& state) {
  Store& store = TheStore();
  UserRecord record;
  int32_t index = 0;
  for (const Store::Login& login : store.logins()) {  // warm-up: fills the cache
    AuthenticateUser(store.context(), login.name.c_str(), login.password.c_str(), "", &index,
                     record.data(), kUserRecordSize);
  }
  size_t i = 0;
  for (auto _ : state) {
    const Store::Login& login = store.logins()[i++ % store.logins().size()];
    const int32_t result =
        AuthenticateUser(store.context(), login.name.c_str(), login.password.c_str(), "", &index,
                         record.data(), kUserRecordSize);
    if (result != kUserRecordSize) state.SkipWithError("login refused");
  }
}
BENCHMARK(BM_AuthenticateUser)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The same login as a prepared SELECT on the primary key, the record
// unscrambled and its password compared.
void BM_SqliteLogin(benchmark::State& state) {
  Store& store = TheStore();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(store.db(), "SELECT domain, password, record FROM logins WHERE mailbox = ?",
                     -1, &select, nullptr);
  size_t i = 0;
  for (auto _ : state) {
    const Store::Login& login = store.logins()[i++ % store.logins().size()];
    sqlite3_bind_text(select, 1, login.name.c_str(), -1, SQLITE_STATIC);
    bool good = false;
    if (sqlite3_step(select) == SQLITE_ROW) {
      const auto* password = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
      const UserRecord record =
          RecordFromStored(static_cast<const uint8_t*>(sqlite3_column_blob(select, 2)));
      good = SecretsEqual(password, login.password);
      benchmark::DoNotOptimize(record);
    }
    sqlite3_reset(select);
    if (!good) state.SkipWithError("login refused");
  }
  sqlite3_finalize(select);
}
BENCHMARK(BM_SqliteLogin)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace
}  // namespace tarvelin
