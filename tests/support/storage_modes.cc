#include "support/storage_modes.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

#include "core/config/config_save.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/domains/domain_operations.h"
#include "schema/config_offsets.h"
#include "support/postgres_server.h"

namespace tarvelin::testing {

namespace {

namespace fs = std::filesystem;

// The server of the process, started on first use and kept to the end.
PostgresServer& Server() {
  static PostgresServer* server = new PostgresServer();
  return *server;
}

// A new database on the process's server; its connection text, or empty
// with `why` said.
std::string FreshDatabase(std::string* why) {
  static std::atomic<int> next{0};
  PostgresServer& server = Server();
  if (!server.ok()) {
    *why = "the PostgreSQL server did not start: " + server.why();
    return {};
  }
  const std::string name = "accounts_" + std::to_string(::getpid()) + "_" + std::to_string(next++);
  PGconn* connection = PQconnectdb(server.ConnectionText().c_str());
  PGresult* answer = PQexec(connection, ("CREATE DATABASE " + name).c_str());
  const bool made = PQresultStatus(answer) == PGRES_COMMAND_OK;
  if (!made) *why = std::string("CREATE DATABASE failed: ") + PQerrorMessage(connection);
  PQclear(answer);
  PQfinish(connection);
  if (!made) return {};
  return "driver=postgresql;host=" + server.socket_folder() +
         ";port=" + std::to_string(server.port()) + ";user=" + server.user() + ";dbname=" + name;
}

}  // namespace

std::string StorageModeName(const ::testing::TestParamInfo<StorageMode>& info) {
  switch (info.param) {
    case StorageMode::kFiles:
      return "Files";
    case StorageMode::kSqlite:
      return "Sqlite";
    case StorageMode::kPostgres:
      return "Postgres";
  }
  return "Unknown";
}

std::string StorageModeUnavailable(StorageMode mode) {
  if (mode == StorageMode::kFiles) return {};
  if (!fs::exists(TARVELIN_REAL_DB)) {
    return std::string("the database library is not built here (") + TARVELIN_REAL_DB + ")";
  }
  if (mode == StorageMode::kPostgres &&
      !fs::exists(std::string(TARVELIN_SOURCE_DIR) + "/backend/postgres_connection.cc")) {
    return "the database library has no PostgreSQL engine in this build";
  }
  return {};
}

StorageModeInstallation::StorageModeInstallation(StorageMode mode,
                                                 const std::vector<std::string>& domains)
    : install_(dir_.path() + "inst/") {
  {
    Context creator;
    const Status created = CreateInstallation(creator, install_, {});
    if (!created.ok()) {
      why_ = "cannot create the installation: " + created.ToString();
      return;
    }
    if (mode != StorageMode::kFiles) {
      creator.config.record.SetByte(offsets::kStorageMode, 2);
      if (mode == StorageMode::kPostgres) {
        const std::string text = FreshDatabase(&why_);
        if (text.empty()) return;
        creator.config.record.SetText(offsets::kAccountDatabase, text);
      }
      creator.api.config_changed = true;
      SaveConfig(creator);
      fs::create_directories(install_ + "lib");
      fs::create_symlink(TARVELIN_REAL_DB, install_ + "lib/db.so");
    }
  }
  context_ = Reopen();
  if (context_ == nullptr) {
    why_ = "cannot open the installation";
    return;
  }
  if (mode != StorageMode::kFiles && !context_->database_storage()) {
    why_ = "the database library did not load";
    return;
  }
  for (const std::string& name : domains) {
    const Status added = AddDomain(*context_, name, DomainRecord{});
    if (!added.ok()) {
      why_ = "cannot add " + name + ": " + added.ToString();
      return;
    }
  }
}

std::unique_ptr<Context> StorageModeInstallation::Reopen() const {
  auto context = std::make_unique<Context>();
  if (!Init(*context, install_.c_str()).ok()) return nullptr;
  return context;
}

void StorageModeTest::SetUp() {
  const std::string unavailable = StorageModeUnavailable(GetParam());
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  installation_ = std::make_unique<StorageModeInstallation>(GetParam(), Domains());
  ASSERT_TRUE(installation_->why().empty()) << installation_->why();
}

}  // namespace tarvelin::testing
