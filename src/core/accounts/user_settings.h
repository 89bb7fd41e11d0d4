// Single settings of an account record that the caller holds, by id. Any id
// may be used on any record: the functions do not look at the record's
// type (except id 33, which shows no password for a non-user account). They
// never validate a value; that happens when the record is written.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvelin {

class Context;

// How an id's value travels through the caller's buffer: a number (1 to 4
// bytes, little-endian), a flag byte, an 8-byte date-time, or raw text.
enum class UserSettingKind { kUnknown, kNumber, kFlag, kDateTime, kText };
UserSettingKind DescribeUserSetting(int32_t id);

// The ids that apply to a record of `account_type`, ascending: those of the
// common part (with 6, the whole record) and those of the type's variant.
std::vector<int32_t> UserSettingIds(uint8_t account_type);

// Bytes written; kResultFailed for an unknown id, kResultBufferTooSmall for
// a buffer too small for the value or a record below 2848 bytes (or null),
// kResultNotInitialised.
int32_t GetUserSetting(const Context& context, const void* record, int32_t record_size, int32_t id,
                       void* buffer, int32_t size);
// 0 when stored; kResultFailed for an unknown id (the record is left as it
// was), kResultBufferTooSmall, kResultNotInitialised as above.
int32_t SetUserSetting(const Context& context, void* record, int32_t record_size, int32_t id,
                       const void* buffer, int32_t size);

}  // namespace tarvelin
