// UserRecord: the 2848-byte account record, a plain byte image with a common
// part and a variant part chosen by the account type (user_record_offsets.h).
// users.cfg holds one record after the other, each scrambled on its own.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "schema/user_record_layout.h"

namespace tarvelin {

using UserRecord = std::array<uint8_t, kUserRecordSize>;

inline constexpr uint8_t kUserAccount = 0;
inline constexpr uint8_t kGroupAccount = 7;

uint8_t AccountTypeOf(const UserRecord& record);
// The alias list text as stored (length bytes above the capacity read as
// the capacity).
std::string AliasListOf(const UserRecord& record);
// The first alias, trimmed; empty when the list is empty.
std::string PrimaryAliasOf(const UserRecord& record);

}  // namespace tarvelin
