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

Result<SettingShape> DescribeRemoteSetting(int32_t id) {
  const auto* field = FindRemoteField(id);
  if (field == nullptr) return UnknownSetting(id);
  return ShapeOfField(field->slot());
}

Result<SettingValue> RemoteSettingValue(const uint8_t* record, int32_t id) {
  const Result<SettingShape> shape = DescribeRemoteSetting(id);
  if (!shape.ok()) return shape.status();
  return ReadSettingValue(
      *shape, [&](void* buffer, int32_t size) { return GetRemoteField(record, id, buffer, size); });
}

Status SetRemoteSettingValue(uint8_t* record, int32_t id, const SettingValue& value) {
  const Result<SettingShape> shape = DescribeRemoteSetting(id);
  if (!shape.ok()) return shape.status();
  return WriteSettingValue(*shape, value, [&](const void* buffer, int32_t size) {
    return SetRemoteField(record, id, buffer, size);
  });
}

}  // namespace tarvelin
