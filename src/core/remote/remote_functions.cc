#include "core/remote/remote_functions.h"

#include <cstring>

#include "schema/remote_record_layout.h"
#include "schema/remote_settings.h"
#include "core/remote/remote_state_files.h"
#include "core/config/config_save.h"
#include "foundation/bytes.h"
#include "api/c/api_result.h"
#include "core/context.h"
#include "platform/lock_table.h"

namespace tarvelin {

namespace {

bool RecordFits(const void* record, int32_t size) {
  return record != nullptr && size >= kRemoteRecordSize;
}

// The collecting service re-reads the list, whatever the change came to.
void PostReload(const Context& context) {
  context.Channel().NotifyService(kRemoteReloadService, kReloadMessage, 0, 0);
}

int32_t Write(Context& context, int32_t position, const void* buffer) {
  RemoteAccountRecord record;
  std::memcpy(record.data(), buffer, record.size());
  const bool written = context.remotes().Write(position, record).ok();
  PostReload(context);
  return written ? 0 : kResultFailed;
}

}  // namespace

int32_t GetRACount(Context& context) {
  if (!context.api.initialised) return kResultNotInitialised;
  return context.remotes().Count();
}

int32_t LoadRA(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  RemoteAccountRecord record;
  if (context.remotes().Load(position, &record) <= 0) return kResultFailed;
  std::memcpy(buffer, record.data(), record.size());
  return kRemoteRecordSize;
}

int32_t SaveRA(Context& context, int32_t position, const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  return Write(context, position, buffer);
}

int32_t AddRA(Context& context, const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  return Write(context, -1, buffer);
}

int32_t DeleteRA(Context& context, int32_t position) {
  if (!context.api.initialised) return kResultNotInitialised;
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
  return removal.ok() || removal.Is(StatusCode::kNotFound) ? 0 : kResultFailed;
}

int32_t GetRASetting(Context& context, const void* record, int32_t record_size, int32_t id,
                     void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  return GetRemoteField(static_cast<const uint8_t*>(record), id, buffer, size);
}

int32_t SetRASetting(Context& context, void* record, int32_t record_size, int32_t id,
                     const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  return SetRemoteField(static_cast<uint8_t*>(record), id, buffer, size);
}

}  // namespace tarvelin
