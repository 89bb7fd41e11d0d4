#include "schema/remote_settings.h"

#include "schema/remote_record_layout.h"
#include "foundation/bytes.h"
#include "api/c/api_result.h"
#include "schema/marshal.h"

namespace tarvelin {

int32_t GetRemoteField(const uint8_t* record, int32_t id, void* buffer, int32_t size) {
  const RemoteField* field = FindRemoteField(id);
  if (field == nullptr) return kResultFailed;
  const uint8_t* at = record + field->offset;
  switch (field->kind) {
    case RemoteFieldKind::kText:
      return PutText(GetPString(at, field->capacity), buffer, size);
    case RemoteFieldKind::kFlag:
      return PutFlag(*at, buffer, size);
    case RemoteFieldKind::kNumber:
      return PutNumber(GetLE(at, field->width), buffer, size);
    case RemoteFieldKind::kSchedule:
      return PutBlock(at, field->width, buffer, size);
    case RemoteFieldKind::kPacked:
      return PutText(PackRecord(record, kRemoteRecordSize), buffer, size);
  }
  return kResultFailed;
}

int32_t SetRemoteField(uint8_t* record, int32_t id, const void* buffer, int32_t size) {
  const RemoteField* field = FindRemoteField(id);
  if (field == nullptr) return kResultFailed;
  uint8_t* at = record + field->offset;
  switch (field->kind) {
    case RemoteFieldKind::kText:
      PutPString(at, field->capacity, TakeText(buffer, size));
      break;
    case RemoteFieldKind::kFlag:
      *at = TakeFlag(buffer, size);
      break;
    case RemoteFieldKind::kNumber:
      PutLE(at, field->width, TakeNumber(buffer, size));
      break;
    case RemoteFieldKind::kSchedule:
      TakeBlock(buffer, size, at, field->width);
      break;
    case RemoteFieldKind::kPacked:
      UnpackRecord(buffer, size, record, kRemoteRecordSize);
      break;
  }
  return 0;
}

}  // namespace tarvelin
