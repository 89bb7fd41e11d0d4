#include "api/c/remote_operations.h"

#include <cstring>

#include "api/c/api_result.h"
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

}  // namespace

int32_t GetRACount(Context& context) { return RemoteAccountCount(context); }

int32_t LoadRA(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const Result<RemoteAccountRecord> record = LoadRemoteAccount(context, position);
  if (!record.ok()) return ApiResultOf(record.status());
  std::memcpy(buffer, record->data(), kRemoteRecordSize);
  return kRemoteRecordSize;
}

int32_t SaveRA(Context& context, int32_t position, const void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  return ApiResultOf(SaveRemoteAccount(context, position, RecordFrom(buffer)));
}

int32_t AddRA(Context& context, const void* buffer, int32_t size) {
  return SaveRA(context, -1, buffer, size);
}

int32_t DeleteRA(Context& context, int32_t position) {
  return ApiResultOf(DeleteRemoteAccount(context, position));
}

}  // namespace tarvelin::capi
