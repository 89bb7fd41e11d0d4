#include "schema/domain_settings.h"

#include "schema/domain_record_layout.h"
#include "foundation/bytes.h"
#include "api/c/api_result.h"
#include "schema/marshal.h"

namespace tarvelin {

int32_t GetDomainField(const uint8_t* record, int32_t id, void* buffer, int32_t size) {
  const DomainField* field = FindDomainField(id);
  if (field == nullptr) return kResultFailed;
  const uint8_t* at = record + field->offset;
  switch (field->kind) {
    case DomainFieldKind::kText:
      return PutText(GetPString(at, field->capacity), buffer, size);
    case DomainFieldKind::kNumber:
      return PutNumber(GetLE(at, field->width), buffer, size);
    case DomainFieldKind::kFlag:
      return PutFlag(*at, buffer, size);
    case DomainFieldKind::kBit:
      return PutFlag((*at >> field->bit) & 1, buffer, size);
    case DomainFieldKind::kDate:
      return PutDate(GetDouble(at), buffer, size);
    case DomainFieldKind::kPacked:
      return PutText(PackRecord(record, kDomainRecordSize), buffer, size);
  }
  return kResultFailed;
}

int32_t SetDomainField(uint8_t* record, int32_t id, const void* buffer, int32_t size) {
  const DomainField* field = FindDomainField(id);
  if (field == nullptr) return kResultFailed;
  uint8_t* at = record + field->offset;
  switch (field->kind) {
    case DomainFieldKind::kText:
      PutPString(at, field->capacity, TakeText(buffer, size));
      break;
    case DomainFieldKind::kNumber:
      PutLE(at, field->width, TakeNumber(buffer, size));
      break;
    case DomainFieldKind::kFlag:
      *at = TakeFlag(buffer, size);
      break;
    case DomainFieldKind::kBit: {
      const auto mask = static_cast<uint8_t>(1u << field->bit);
      *at = static_cast<uint8_t>(TakeFlag(buffer, size) != 0 ? (*at | mask) : (*at & ~mask));
      break;
    }
    case DomainFieldKind::kDate:
      // A short buffer holds no date; storing a stand-in value would date
      // the domain to 1899 and expire it.
      if (buffer == nullptr || size < 8) return kResultBufferTooSmall;
      PutDouble(at, TakeDate(buffer, size));
      break;
    case DomainFieldKind::kPacked:
      UnpackRecord(buffer, size, record, kDomainRecordSize);
      break;
  }
  return 0;
}

}  // namespace tarvelin
