#include "api/c/remote_operations.h"

#include <cstring>
#include <string_view>

#include "api/c/api_result.h"
#include "core/context.h"
#include "core/remote/remote_operations.h"

namespace tarvelin::capi {

namespace {

bool RecordFits(const void* record, int32_t size) {
  return record != nullptr && size >= kRemoteRecordSize;
}

RemoteAccountRecord RecordFrom(const void* buffer) {
  RemoteAccountRecord record;
  std::memcpy(record.data(), buffer, record.size());
  return record;
}

// The scope of remote.cfg's positions in the Context's load notes.
constexpr std::string_view kNotes = "remote";

}  // namespace

int32_t GetRACount(Context& context) { return RemoteAccountCount(context); }

int32_t LoadRA(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const Result<RemoteAccountRecord> record = LoadRemoteAccount(context, position);
  if (!record.ok()) return ApiResultOf(record.status());
  context.load_notes().Note(kNotes, position, RemoteIdentity(*record));
  std::memcpy(buffer, record->data(), kRemoteRecordSize);
  return kRemoteRecordSize;
}

int32_t SaveRA(Context& context, int32_t position, const void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const RemoteAccountRecord record = RecordFrom(buffer);
  const Status saved =
      SaveRemoteAccount(context, position, record, context.load_notes().Find(kNotes, position));
  if (saved.ok() && position >= 0) {
    context.load_notes().Note(kNotes, position, RemoteIdentity(record));
  }
  return ApiResultOf(saved);
}

int32_t AddRA(Context& context, const void* buffer, int32_t size) {
  return SaveRA(context, -1, buffer, size);
}

int32_t DeleteRA(Context& context, int32_t position) {
  const Status deleted =
      DeleteRemoteAccount(context, position, context.load_notes().Find(kNotes, position));
  if (deleted.ok()) context.load_notes().Removed(kNotes, position);
  return ApiResultOf(deleted);
}

}  // namespace tarvelin::capi
