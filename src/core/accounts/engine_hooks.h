// The places where account changes reach parts of the mail engine that
// live outside this library: the directory mirror of accounts and the
// instant-messaging roster of groups. A host that runs those parts sets a
// hook on its Context; the library calls it at the moment of the change.
// Without a hook set, both calls do nothing at all: no file is written and
// no service is told.
//
// Hooks run on the thread that changed the account; the directory mirror
// hook runs under lock 1. A hook must not throw; what it does with the
// data is its own business, and its failures are not reported back.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/lock_table.h"
#include "schema/user_record.h"

namespace tarvelin {

enum class DirectoryAction : int { kNew = 0, kChanged = 1, kRemoved = 2 };

// An account of `domain` was written (the record as written, plain
// password) or removed (the record as it was stored).
using DirectoryMirrorHook =
    std::function<void(std::string_view domain, const UserRecord& record, DirectoryAction action)>;

struct RosterGroup {
  std::string address;               // primary alias "@" domain, lower-case
  std::string title;                 // display name, or the address
  std::vector<std::string> members;  // member file lines as written
  bool removed = false;
};
using RosterHook = std::function<void(const RosterGroup& group)>;

class EngineHooks {
 public:
  explicit EngineHooks(LockTable& locks) : locks_(locks) {}

  // Replace the hook; an empty function restores the default (nothing).
  void SetDirectoryMirror(DirectoryMirrorHook hook);
  void SetRoster(RosterHook hook);

  // Call the hook that is set, if any.
  void MirrorToDirectory(std::string_view domain, const UserRecord& record,
                         DirectoryAction action) const;
  void HandToRoster(const RosterGroup& group) const;

 private:
  LockTable& locks_;
  mutable std::mutex mutex_;
  DirectoryMirrorHook directory_;
  RosterHook roster_;
};

}  // namespace tarvelin
