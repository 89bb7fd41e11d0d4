#include "core/remote/remote_operations.h"

#include "core/config/config_save.h"
#include "core/context.h"
#include "core/remote/remote_state_files.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "platform/lock_table.h"

namespace tarvelin {

namespace {

// The collecting service re-reads the list, whatever the change came to.
void PostReload(const Context& context) {
  context.Channel().NotifyService(kRemoteReloadService, kReloadMessage, 0, 0);
}

Status MovedAway(int position) {
  return Status::NotFound("remote account " + std::to_string(position) +
                          " is no longer the one loaded there: another program moved or removed "
                          "it meanwhile; load it again");
}

// Whether the record at `position` is the one the caller loaded there (or
// `saving`, when given): always without a `loaded` identity.
bool StillThere(const Context& context, int position, const std::optional<std::string>& loaded,
                const RemoteAccountRecord* saving) {
  if (!loaded) return true;
  RemoteAccountRecord there;
  if (position < 0 || position >= context.remotes().Load(position, &there)) return false;
  const std::string identity = RemoteIdentity(there);
  return identity == *loaded || (saving != nullptr && identity == RemoteIdentity(*saving));
}

}  // namespace

int RemoteAccountCount(const Context& context) { return context.remotes().Count(); }

Result<RemoteAccountRecord> LoadRemoteAccount(const Context& context, int position) {
  RemoteAccountRecord record;
  if (context.remotes().Load(position, &record) <= 0) {
    return Status::NotFound("there are no remote accounts");
  }
  return record;
}

std::string RemoteIdentity(const RemoteAccountRecord& record) {
  return ToLower(Trim(GetPString(record.data() + remote_offsets::kServer,
                                 remote_offsets::kServerCapacity))) +
         "\n" + GetPString(record.data() + remote_offsets::kLogin, remote_offsets::kLoginCapacity);
}

Result<std::unique_ptr<StoreLock>> HoldRemoteAccounts(const Context& context) {
  return context.remotes().Lock();
}

Status SaveRemoteAccount(Context& context, int position, const RemoteAccountRecord& record,
                         const std::optional<std::string>& loaded) {
  Status written;
  {
    Result<std::unique_ptr<StoreLock>> held = context.remotes().Lock();
    if (!held.ok()) {
      written = held.status();
    } else if (position != -1 && position != context.remotes().Count() &&
               !StillThere(context, position, loaded, &record)) {
      written = MovedAway(position);
    } else {
      written = context.remotes().Write(position, record);
    }
  }
  PostReload(context);
  return written;
}

Status DeleteRemoteAccount(Context& context, int position,
                           const std::optional<std::string>& loaded) {
  Status removal;
  bool moved = false;
  {
    // One step for other programs and threads: the check, the list and the
    // state files it names. The cross-process lock before lock 0.
    Result<std::unique_ptr<StoreLock>> held = context.remotes().Lock();
    moved = held.ok() && !StillThere(context, position, loaded, nullptr);
    if (!held.ok()) {
      removal = held.status();
    } else if (!moved) {
      ScopedLock lock(context.locks(), LockId::kGeneral);
      RemoteAccountRecord removed;
      removal = context.remotes().Remove(position, &removed);
      // Only once the account is gone from the list: a failed rewrite keeps
      // the account and the state it still needs.
      if (removal.ok()) {
        RemoveStateFiles(context.env(), context.api.config_path,
                         GetPString(removed.data() + remote_offsets::kStateFile,
                                    remote_offsets::kStateFileCapacity));
      }
    }
  }
  PostReload(context);
  if (moved) return MovedAway(position);
  // A position outside the list changes nothing and is no failure.
  return removal.Is(StatusCode::kNotFound) ? Status() : removal;
}

}  // namespace tarvelin
