#include "core/accounts/engine_hooks.h"

#include <mutex>
#include <utility>

#include "platform/lock_table.h"

namespace tarvelin {

namespace {

struct Hooks {
  std::mutex mutex;
  DirectoryMirrorHook directory;
  RosterHook roster;
};

Hooks& TheHooks() {
  static Hooks* hooks = new Hooks;
  return *hooks;
}

}  // namespace

void SetDirectoryMirrorHook(DirectoryMirrorHook hook) {
  std::lock_guard<std::mutex> guard(TheHooks().mutex);
  TheHooks().directory = std::move(hook);
}

void SetRosterHook(RosterHook hook) {
  std::lock_guard<std::mutex> guard(TheHooks().mutex);
  TheHooks().roster = std::move(hook);
}

void MirrorToDirectory(std::string_view domain, const UserRecord& record, DirectoryAction action) {
  DirectoryMirrorHook hook;
  {
    std::lock_guard<std::mutex> guard(TheHooks().mutex);
    hook = TheHooks().directory;
  }
  if (!hook) return;
  ScopedLock lock(LockId::kDirectoryMirror);
  hook(domain, record, action);
}

void HandToRoster(const RosterGroup& group) {
  RosterHook hook;
  {
    std::lock_guard<std::mutex> guard(TheHooks().mutex);
    hook = TheHooks().roster;
  }
  if (hook) hook(group);
}

}  // namespace tarvelin
