// The remote accounts in remote.cfg of the configuration folder
// (remote_file.h); writes run under lock 0 of the installation.
#pragma once

#include <string>

#include "platform/env.h"
#include "platform/lock_table.h"
#include "store/remote_store.h"

namespace tarvelin {

class FileRemoteStore : public RemoteStore {
 public:
  // Follows the configuration folder as its owner changes it; works
  // through `env`, which outlives the store.
  FileRemoteStore(Env& env, const std::string& config_path, LockTable& locks)
      : env_(env), config_path_(config_path), locks_(locks) {}

  int Count() override;
  int Load(int position, RemoteAccountRecord* record) override;
  Status Write(int position, const RemoteAccountRecord& record) override;
  Status Remove(int position, RemoteAccountRecord* removed) override;

 private:
  Env& env_;
  const std::string& config_path_;
  LockTable& locks_;
};

}  // namespace tarvelin
