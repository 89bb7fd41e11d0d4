// Test installations in each storage mode, for suites that must behave the
// same whatever keeps the domains and accounts:
//   kFiles     domains.cfg, domain.cfg and users.cfg (storage mode 0);
//   kSqlite    the database library built here (build/db.so, linked into
//              the installation's lib/), storage mode 2, variable 97 left
//              empty so the database is config/tarvelin.db;
//   kPostgres  the same library on a PostgreSQL server of the test
//              process's own (one per process, a fresh database per
//              installation), variable 97 its connection text.
// A mode that cannot be had in this build makes the test skip with the
// reason (StorageModeTest does it in SetUp).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/context.h"
#include "support/temp_dir.h"

namespace tarvelin::testing {

enum class StorageMode { kFiles, kSqlite, kPostgres };

// "Files", "Sqlite", "Postgres": names of the parameterised tests.
std::string StorageModeName(const ::testing::TestParamInfo<StorageMode>& info);
// Why the mode cannot be had here; empty when it can.
std::string StorageModeUnavailable(StorageMode mode);

class StorageModeInstallation {
 public:
  // Creates the installation with `domains` (added through the library's
  // own AddDomain, so the database learns them) and opens it in context().
  StorageModeInstallation(StorageMode mode, const std::vector<std::string>& domains);

  // Empty when made; else what went wrong.
  const std::string& why() const { return why_; }
  Context& context() { return *context_; }
  // Ends with "/".
  const std::string& install() const { return install_; }
  // Opens the installation afresh in a new Context, as another program
  // would see it.
  std::unique_ptr<Context> Reopen() const;

 private:
  TempDir dir_;
  std::string install_;
  std::unique_ptr<Context> context_;
  std::string why_;
};

// A suite run in all three modes: INSTANTIATE it with
// ::testing::Values(StorageMode::kFiles, StorageMode::kSqlite,
// StorageMode::kPostgres) and StorageModeName.
class StorageModeTest : public ::testing::TestWithParam<StorageMode> {
 protected:
  // The domains of the installation.
  virtual std::vector<std::string> Domains() const { return {"example.org", "other.org"}; }
  void SetUp() override;
  Context& context() { return installation_->context(); }
  StorageModeInstallation& installation() { return *installation_; }

 private:
  std::unique_ptr<StorageModeInstallation> installation_;
};

}  // namespace tarvelin::testing
