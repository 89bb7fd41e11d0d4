// Single settings of an account record that the caller holds, by id. Any id
// may be used on any record: the functions do not look at the record's
// type (except id 33, which shows no password for a non-user account). They
// never validate a value; that happens when the record is written.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/status.h"
#include "schema/setting_shape.h"
#include "schema/setting_value.h"

namespace tarvelin {

class ServerConfig;

// How an id's value travels through the caller's buffer: a number, a flag,
// a date-time or a text (id 6, the packed record, without a capacity; the
// parts of a text field with the field's capacity). NotFound for an
// unknown id.
Result<SettingShape> DescribeUserSetting(int32_t id);

// The ids that apply to a record of `account_type`, ascending: those of the
// common part (with 6, the whole record) and those of the type's variant.
std::vector<int32_t> UserSettingIds(uint8_t account_type);

// The value of `id` in `record` (kUserRecordSize bytes): the bytes written;
// NotFound for an unknown id, BufferTooSmall for a buffer too small for the
// value. `config` decides whether id 33 shows the password.
Result<int32_t> GetUserSetting(const ServerConfig& config, const uint8_t* record, int32_t id,
                               void* buffer, int32_t size);
// Stores the value of `id` in `record`; NotFound for an unknown id (the
// record is left as it was).
Status SetUserSetting(uint8_t* record, int32_t id, const void* buffer, int32_t size);

// The same as typed values. The set refuses a value that does not fit the
// id's shape (InvalidArgument), the record then left as it was.
Result<SettingValue> UserSettingValue(const ServerConfig& config, const uint8_t* record,
                                      int32_t id);
Status SetUserSettingValue(uint8_t* record, int32_t id, const SettingValue& value);

}  // namespace tarvelin
