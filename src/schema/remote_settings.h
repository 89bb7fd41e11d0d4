// Single settings of a RemoteAccountRecord image, addressed by setting id
// (the rows of remote_record_layout.h), moved by the field codec. The
// functions look only at the record the caller holds; they never touch
// remote.cfg.
#pragma once

#include <cstdint>

#include "foundation/status.h"
#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin {

// The value of `id` in the caller's buffer: the bytes written,
// BufferTooSmall when the buffer cannot hold the value (the schedule needs
// kScheduleRecordSize bytes), or NotFound for an unknown id. `record` holds
// kRemoteRecordSize bytes.
Result<int32_t> GetRemoteField(const uint8_t* record, int32_t id, void* buffer, int32_t size);

// Stores the caller's value under `id`: texts cut to their capacity,
// numbers to the low bytes of their width, the schedule from the first
// min(size, 284) bytes, the packed record over the whole record. NotFound
// for an unknown id, the record then unchanged.
Status SetRemoteField(uint8_t* record, int32_t id, const void* buffer, int32_t size);

// How the value of `id` travels (every id can be written); NotFound for an
// unknown id.
Result<SettingShape> DescribeRemoteSetting(int32_t id);

// The same as typed values. The set refuses a value that does not fit the
// id's shape (InvalidArgument), the record then left as it was.
Result<SettingValue> RemoteSettingValue(const uint8_t* record, int32_t id);
Status SetRemoteSettingValue(uint8_t* record, int32_t id, const SettingValue& value);

}  // namespace tarvelin
