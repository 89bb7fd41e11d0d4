#include "core/remote/remote_operations.h"

#include "core/config/config_save.h"
#include "core/context.h"
#include "core/remote/remote_state_files.h"
#include "foundation/bytes.h"
#include "platform/lock_table.h"

namespace tarvelin {

namespace {

// The collecting service re-reads the list, whatever the change came to.
void PostReload(const Context& context) {
  context.Channel().NotifyService(kRemoteReloadService, kReloadMessage, 0, 0);
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

Status SaveRemoteAccount(Context& context, int position, const RemoteAccountRecord& record) {
  Status written = context.remotes().Write(position, record);
  PostReload(context);
  return written;
}

Status DeleteRemoteAccount(Context& context, int position) {
  Status removal;
  {
    // One step for other threads: the list and the state files it names.
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
  PostReload(context);
  // A position outside the list changes nothing and is no failure.
  return removal.Is(StatusCode::kNotFound) ? Status() : removal;
}

}  // namespace tarvelin
