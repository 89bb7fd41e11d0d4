// RemoteStore: the server-wide list of remote accounts, addressed by
// 0-based position. Every access goes through this interface; store/file/
// keeps them in remote.cfg.
#pragma once

#include <memory>

#include "foundation/status.h"
#include "schema/remote_record_layout.h"
#include "store/store_lock.h"

namespace tarvelin {

class RemoteStore {
 public:
  virtual ~RemoteStore() = default;

  virtual int Count() = 0;
  // Holds the list for one step of checks and writes, as
  // AccountStore::LockDomain holds a domain; Write and Remove take it for
  // themselves too.
  virtual Result<std::unique_ptr<StoreLock>> Lock() = 0;
  // The record at `position`, or a zero record for a position outside the
  // list; gives the number of records.
  virtual int Load(int position, RemoteAccountRecord* record) = 0;
  // Replaces the record at `position`, or appends it when `position` is -1
  // or the count. InvalidArgument for any other position.
  virtual Status Write(int position, const RemoteAccountRecord& record) = 0;
  // Removes the record at `position`; later ones move down one position.
  // NotFound, the list unchanged, for a position outside it.
  virtual Status Remove(int position, RemoteAccountRecord* removed) = 0;
};

}  // namespace tarvelin
