// The remote accounts in remote.cfg of the configuration folder
// (remote_file.h); writes run under lock 0 and hold the installation's
// cross-process lock of remote.cfg, which Lock hands to callers that
// check before they write.
#pragma once

#include <string>

#include "platform/cross_process_locks.h"
#include "platform/env.h"
#include "platform/lock_table.h"
#include "store/remote_store.h"

namespace tarvelin {

class FileRemoteStore : public RemoteStore {
 public:
  // Follows the configuration folder as its owner changes it; works
  // through `env` and takes `file_locks`, which outlive the store.
  FileRemoteStore(Env& env, const std::string& config_path, LockTable& locks,
                  CrossProcessLocks& file_locks)
      : env_(env), config_path_(config_path), locks_(locks), file_locks_(file_locks) {}

  int Count() override;
  Result<std::unique_ptr<StoreLock>> Lock() override;
  int Load(int position, RemoteAccountRecord* record) override;
  Status Write(int position, const RemoteAccountRecord& record) override;
  Status Remove(int position, RemoteAccountRecord* removed) override;

 private:
  Env& env_;
  const std::string& config_path_;
  LockTable& locks_;
  CrossProcessLocks& file_locks_;
};

}  // namespace tarvelin
