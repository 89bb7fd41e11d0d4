// Single settings of a DomainRecord image, addressed by setting id (the
// rows of domain_record_layout.h), moved by the field codec. The functions
// look only at the record the caller holds.
#pragma once

#include <cstdint>

#include "foundation/status.h"
#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin {

// The value of `id` in the caller's buffer: the bytes written,
// BufferTooSmall when the buffer cannot hold the value, or NotFound for an
// unknown id. `record` holds kDomainRecordSize bytes.
Result<int32_t> GetDomainField(const uint8_t* record, int32_t id, void* buffer, int32_t size);

// Stores the caller's value under `id`: texts cut to their capacity,
// numbers to the low bytes of their width, bits set by a true flag and
// cleared by a false one. NotFound for an unknown id and BufferTooSmall for
// a date of fewer than 8 bytes, the record then unchanged.
Status SetDomainField(uint8_t* record, int32_t id, const void* buffer, int32_t size);

// How the value of `id` travels (every id can be written); NotFound for an
// unknown id.
Result<SettingShape> DescribeDomainSetting(int32_t id);

// The same as typed values. The set refuses a value that does not fit the
// id's shape (InvalidArgument), the record then left as it was.
Result<SettingValue> DomainSettingValue(const uint8_t* record, int32_t id);
Status SetDomainSettingValue(uint8_t* record, int32_t id, const SettingValue& value);

}  // namespace tarvelin
