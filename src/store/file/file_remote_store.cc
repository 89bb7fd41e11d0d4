#include "store/file/file_remote_store.h"

#include "store/file/remote_file.h"

namespace tarvelin {

int FileRemoteStore::Count() { return CountRemoteAccounts(env_, config_path_); }

int FileRemoteStore::Load(int position, RemoteAccountRecord* record) {
  return LoadRemoteAt(env_, config_path_, position, record);
}

Status FileRemoteStore::Write(int position, const RemoteAccountRecord& record) {
  ScopedLock lock(locks_, LockId::kGeneral);
  return WriteRemoteAt(env_, config_path_, record, position);
}

Status FileRemoteStore::Remove(int position, RemoteAccountRecord* removed) {
  ScopedLock lock(locks_, LockId::kGeneral);
  return RemoveRemoteAt(env_, config_path_, position, removed);
}

}  // namespace tarvelin
