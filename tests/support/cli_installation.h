// Installations for tests that run tarvelin-admin processes on them, in
// each storage mode (support/storage_modes.h):
//   files      made by "tarvelin-admin create --domain DOMAIN", as a user
//              makes one;
//   databases  made by StorageModeInstallation, the domain added through
//              the library so that the database knows it too.
// The accounts are read back as another program would find them: users.cfg
// record by record in files mode, through db.so from a freshly opened
// Context in the database modes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "schema/user_record.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"

namespace tarvelin::testing {

class CliInstallation {
 public:
  CliInstallation(StorageMode mode, const std::string& domain);

  // Empty when made; else what went wrong.
  const std::string& why() const { return why_; }
  // Without a trailing "/".
  const std::string& install() const { return install_; }
  // tarvelin-admin with --install-dir of this installation.
  std::string AdminCommand() const;

  // The records of the domain by position, unscrambled. A fault of the store
  // itself (a torn record in users.cfg, an empty position among the
  // database's accounts, an account past the count) goes into *fault.
  std::vector<UserRecord> Records(const std::string& domain, std::string* fault) const;

 private:
  StorageMode mode_;
  TempDir dir_;
  std::unique_ptr<StorageModeInstallation> database_;
  std::string install_;
  std::string why_;
};

}  // namespace tarvelin::testing
