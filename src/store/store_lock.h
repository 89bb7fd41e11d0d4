// StoreLock: part of a store held by one caller for one step, so that what
// it checks (an alias is free, the account at a position is the one it
// loaded) stays true until it writes. While a StoreLock lives no writer of
// another thread or program changes that part; the holder's own thread
// writes on under it. The part is free again when the StoreLock goes, and
// when the program holding it dies. The file stores hold a cross-process
// lock (store/lock_names.h); a database would hold a transaction.
#pragma once

namespace tarvelin {

class StoreLock {
 public:
  virtual ~StoreLock() = default;
};

}  // namespace tarvelin
