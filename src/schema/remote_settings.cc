#include "schema/remote_settings.h"

#include <string>

#include "schema/field_codec.h"
#include "schema/remote_record_layout.h"

namespace tarvelin {

namespace {

Status UnknownSetting(int32_t id) {
  return Status::NotFound("remote account setting " + std::to_string(id) + " is unknown");
}

}  // namespace

Result<int32_t> GetRemoteField(const uint8_t* record, int32_t id, void* buffer, int32_t size) {
  const RemoteField* field = FindRemoteField(id);
  if (field == nullptr) return UnknownSetting(id);
  return GetField(record, field->slot(), buffer, size);
}

Status SetRemoteField(uint8_t* record, int32_t id, const void* buffer, int32_t size) {
  const RemoteField* field = FindRemoteField(id);
  if (field == nullptr) return UnknownSetting(id);
  return SetField(record, field->slot(), buffer, size);
}

}  // namespace tarvelin
