#include "store/file/file_remote_store.h"

#include "store/file/held_file_lock.h"
#include "store/file/remote_file.h"

namespace tarvelin {

int FileRemoteStore::Count() { return CountRemoteAccounts(env_, config_path_); }

int FileRemoteStore::Load(int position, RemoteAccountRecord* record) {
  return LoadRemoteAt(env_, config_path_, position, record);
}

Result<std::unique_ptr<StoreLock>> FileRemoteStore::Lock() {
  return HoldFileLock(file_locks_, config_path_, kRemoteLock);
}

// The cross-process lock first: a thread waiting for another program must
// not hold lock 0 meanwhile.
Status FileRemoteStore::Write(int position, const RemoteAccountRecord& record) {
  Result<std::unique_ptr<StoreLock>> held = Lock();
  if (!held.ok()) return held.status();
  ScopedLock lock(locks_, LockId::kGeneral);
  return WriteRemoteAt(env_, config_path_, record, position);
}

Status FileRemoteStore::Remove(int position, RemoteAccountRecord* removed) {
  Result<std::unique_ptr<StoreLock>> held = Lock();
  if (!held.ok()) return held.status();
  ScopedLock lock(locks_, LockId::kGeneral);
  return RemoveRemoteAt(env_, config_path_, position, removed);
}

}  // namespace tarvelin
