// CrossProcessLocks: named exclusive locks that hold across processes and
// across the threads of one process, for the read-check-write steps on the
// installation's shared files. Each name is one byte of a lock file
// (Env::LockByte at a hash of the name), so one file serves every lock of
// an installation and a lock dies with the process holding it.
//
// A thread that holds a name may take it again (the steps nest: a check
// step holds the lock that the write inside it takes too); the lock goes
// when the outermost holder lets go. Two CrossProcessLocks in one process
// exclude each other like two processes.
//
// Order, to keep clear of deadlocks: the configuration (settings.cfg and
// domains.cfg), then a domain's accounts, then remote.cfg, then a member
// file, then any other single file. Never the other way round.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class CrossProcessLocks {
 public:
  explicit CrossProcessLocks(Env& env) : env_(env) {}
  CrossProcessLocks(const CrossProcessLocks&) = delete;
  CrossProcessLocks& operator=(const CrossProcessLocks&) = delete;

  // One held lock; let go when it goes.
  class Held {
   public:
    Held() = default;
    Held(Held&& other) noexcept;
    Held& operator=(Held&& other) noexcept;
    ~Held();

    bool held() const { return owner_ != nullptr; }

   private:
    friend class CrossProcessLocks;
    Held(CrossProcessLocks* owner, std::string key) : owner_(owner), key_(std::move(key)) {}
    void Release();

    CrossProcessLocks* owner_ = nullptr;
    std::string key_;
  };

  // Waits for the lock `name` of the lock file `lock_file` (its folder is
  // created when missing). Fails only when the lock file cannot be opened
  // or locked.
  Result<Held> Acquire(std::string_view lock_file, std::string_view name);

  // The byte of the lock file that stands for `name`.
  static uint64_t OffsetOf(std::string_view name);

 private:
  struct Entry {
    std::thread::id owner;
    int depth = 0;
    std::unique_ptr<FileLock> lock;
  };

  void Release(const std::string& key);

  Env& env_;
  std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> held_;
};

}  // namespace tarvelin
