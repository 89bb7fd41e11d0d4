#include "core/remote/remote_functions.h"

#include <cstring>

#include "store/file/remote_file.h"
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
void PostReload(const Library& library) {
  library.Channel().NotifyService(kRemoteReloadService, kReloadMessage, 0, 0);
}

int32_t Write(Library& library, int32_t position, const void* buffer) {
  RemoteAccountRecord record;
  std::memcpy(record.data(), buffer, record.size());
  bool written;
  {
    ScopedLock lock(LockId::kGeneral);
    written = WriteRemoteAt(library.api.config_path, record, position);
  }
  PostReload(library);
  return written ? 0 : kResultFailed;
}

}  // namespace

int32_t GetRACount(Library& library) {
  if (!library.api.initialised) return kResultNotInitialised;
  return CountRemoteAccounts(library.api.config_path);
}

int32_t LoadRA(Library& library, int32_t position, void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  RemoteAccountRecord record;
  if (LoadRemoteAt(library.api.config_path, position, &record) <= 0) return kResultFailed;
  std::memcpy(buffer, record.data(), record.size());
  return kRemoteRecordSize;
}

int32_t SaveRA(Library& library, int32_t position, const void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  return Write(library, position, buffer);
}

int32_t AddRA(Library& library, const void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  return Write(library, -1, buffer);
}

int32_t DeleteRA(Library& library, int32_t position) {
  if (!library.api.initialised) return kResultNotInitialised;
  RemoteRemoval removal;
  {
    ScopedLock lock(LockId::kGeneral);
    RemoteAccountRecord removed;
    removal = RemoveRemoteAt(library.api.config_path, position, &removed);
    // Only once the account is gone from the list: a failed rewrite keeps
    // the account and the state it still needs.
    if (removal == RemoteRemoval::kRemoved) {
      RemoveStateFiles(library.api.config_path,
                       GetPString(removed.data() + remote_offsets::kStateFile,
                                  remote_offsets::kStateFileCapacity));
    }
  }
  PostReload(library);
  return removal == RemoteRemoval::kFailed ? kResultFailed : 0;
}

int32_t GetRASetting(Library& library, const void* record, int32_t record_size, int32_t id,
                     void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  return GetRemoteField(static_cast<const uint8_t*>(record), id, buffer, size);
}

int32_t SetRASetting(Library& library, void* record, int32_t record_size, int32_t id,
                     const void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  return SetRemoteField(static_cast<uint8_t*>(record), id, buffer, size);
}

}  // namespace tarvelin
