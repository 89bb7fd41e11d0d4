// A fixture whose tests run once on each engine of the backend: a fresh
// SQLite file in the test's own folder, and the suite's own PostgreSQL
// server (one per suite, shared by its tests).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "backend/connection_settings.h"
#include "backend/postgres_connection.h"
#include "backend/sqlite_connection.h"
#include "support/postgres_server.h"
#include "support/temp_dir.h"

namespace tarvelin::backend {

class EngineTest : public ::testing::TestWithParam<Dialect> {
 protected:
  static void SetUpTestSuite() { server_ = new testing::PostgresServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    Result<std::unique_ptr<SqlConnection>> connection = Status::Unavailable("no engine");
    if (GetParam() == Dialect::kSqlite) {
      connection =
          OpenSqlite(*ParseConnectionText("driver=sqlite;database=" + dir_.path() + "store.db"));
    } else {
      ASSERT_TRUE(server_->ok()) << server_->why();
      connection = OpenPostgres(*ParseConnectionText(server_->BackendConnectionText()));
    }
    ASSERT_TRUE(connection.ok()) << connection.status().ToString();
    db_ = std::move(*connection);
  }

  static inline testing::PostgresServer* server_ = nullptr;
  testing::TempDir dir_;
  std::unique_ptr<SqlConnection> db_;
};

inline std::string EngineName(const ::testing::TestParamInfo<Dialect>& info) {
  return info.param == Dialect::kSqlite ? "sqlite" : "postgresql";
}

}  // namespace tarvelin::backend

// Runs the suite's tests on both engines.
#define TARVELIN_ON_EVERY_ENGINE(suite)                                                \
  INSTANTIATE_TEST_SUITE_P(Engines, suite,                                             \
                           ::testing::Values(::tarvelin::backend::Dialect::kSqlite,    \
                                             ::tarvelin::backend::Dialect::kPostgres), \
                           ::tarvelin::backend::EngineName)
