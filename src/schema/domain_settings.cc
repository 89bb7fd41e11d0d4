#include "schema/domain_settings.h"

#include <string>

#include "schema/domain_record_layout.h"
#include "schema/field_codec.h"

namespace tarvelin {

namespace {

Status UnknownSetting(int32_t id) {
  return Status::NotFound("domain setting " + std::to_string(id) + " is unknown");
}

}  // namespace

Result<int32_t> GetDomainField(const uint8_t* record, int32_t id, void* buffer, int32_t size) {
  const DomainField* field = FindDomainField(id);
  if (field == nullptr) return UnknownSetting(id);
  return GetField(record, field->slot(), buffer, size);
}

Status SetDomainField(uint8_t* record, int32_t id, const void* buffer, int32_t size) {
  const DomainField* field = FindDomainField(id);
  if (field == nullptr) return UnknownSetting(id);
  return SetField(record, field->slot(), buffer, size);
}

Result<SettingShape> DescribeDomainSetting(int32_t id) {
  const auto* field = FindDomainField(id);
  if (field == nullptr) return UnknownSetting(id);
  return ShapeOfField(field->slot());
}

Result<SettingValue> DomainSettingValue(const uint8_t* record, int32_t id) {
  const Result<SettingShape> shape = DescribeDomainSetting(id);
  if (!shape.ok()) return shape.status();
  return ReadSettingValue(
      *shape, [&](void* buffer, int32_t size) { return GetDomainField(record, id, buffer, size); });
}

Status SetDomainSettingValue(uint8_t* record, int32_t id, const SettingValue& value) {
  const Result<SettingShape> shape = DescribeDomainSetting(id);
  if (!shape.ok()) return shape.status();
  return WriteSettingValue(*shape, value, [&](const void* buffer, int32_t size) {
    return SetDomainField(record, id, buffer, size);
  });
}

}  // namespace tarvelin
