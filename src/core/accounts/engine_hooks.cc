#include "core/accounts/engine_hooks.h"

#include <utility>

namespace tarvelin {

void EngineHooks::SetDirectoryMirror(DirectoryMirrorHook hook) {
  std::lock_guard<std::mutex> guard(mutex_);
  directory_ = std::move(hook);
}

void EngineHooks::SetRoster(RosterHook hook) {
  std::lock_guard<std::mutex> guard(mutex_);
  roster_ = std::move(hook);
}

void EngineHooks::MirrorToDirectory(std::string_view domain, const UserRecord& record,
                                    DirectoryAction action) const {
  DirectoryMirrorHook hook;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    hook = directory_;
  }
  if (!hook) return;
  ScopedLock lock(locks_, LockId::kDirectoryMirror);
  hook(domain, record, action);
}

void EngineHooks::HandToRoster(const RosterGroup& group) const {
  RosterHook hook;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    hook = roster_;
  }
  if (hook) hook(group);
}

}  // namespace tarvelin
