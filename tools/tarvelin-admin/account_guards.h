// What a setting change may not reach on its own: an account's type (its
// other settings would be read as another type's) and a password (it would
// stand on the command line, where other users can read it). Both can be
// reached by number, by name, or through the whole record (U_Record).
#pragma once

#include <cstdint>
#include <string>

#include "schema/user_record.h"

namespace tarvelin::cli {

inline constexpr int32_t kAccountTypeId = 0;
inline constexpr int32_t kAccountPasswordId = 33;

// Throws CommandError for the type (refused) or the password (usage, naming
// `password_way`, the way a password is given instead).
void RefuseTypeOrPasswordSetting(int32_t id, const std::string& password_way);
// The same for a change from `before` to `after` that reaches them.
void RefuseTypeOrPasswordChange(const UserRecord& before, const UserRecord& after,
                                const std::string& password_way);

}  // namespace tarvelin::cli
