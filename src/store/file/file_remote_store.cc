#include "store/file/file_remote_store.h"

#include "store/file/remote_file.h"

namespace tarvelin {

int FileRemoteStore::Count() { return CountRemoteAccounts(config_path_); }

int FileRemoteStore::Load(int position, RemoteAccountRecord* record) {
  return LoadRemoteAt(config_path_, position, record);
}

Status FileRemoteStore::Write(int position, const RemoteAccountRecord& record) {
  ScopedLock lock(locks_, LockId::kGeneral);
  if (position < -1 || position > Count()) {
    return Status::InvalidArgument("no remote account at position " + std::to_string(position));
  }
  if (!WriteRemoteAt(config_path_, record, position)) {
    return Status::IOError("cannot write remote account " + std::to_string(position) + " to " +
                           RemoteFilePath(config_path_));
  }
  return Status();
}

Status FileRemoteStore::Remove(int position, RemoteAccountRecord* removed) {
  ScopedLock lock(locks_, LockId::kGeneral);
  switch (RemoveRemoteAt(config_path_, position, removed)) {
    case RemoteRemoval::kRemoved:
      return Status();
    case RemoteRemoval::kNoSuchRecord:
      return Status::NotFound("no remote account at position " + std::to_string(position));
    case RemoteRemoval::kFailed:
      break;
  }
  return Status::IOError("cannot rewrite " + RemoteFilePath(config_path_));
}

}  // namespace tarvelin
