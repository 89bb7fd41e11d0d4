// The bytes of a UserRecord in users.cfg: every record is scrambled on its
// own (key position 0 at its first byte), and the password of a user
// account (type 0) is kept in its stored form (password_cipher.h).
#pragma once

#include <cstdint>

#include "schema/user_record.h"

namespace tarvelin {

// The XOR transform alone, in place; it is its own inverse.
void ScrambleRecord(UserRecord& record);

// users.cfg bytes to the record callers see: unscrambled, and the password
// of a user account deciphered (the field zero behind it).
UserRecord RecordFromStored(const uint8_t* stored);
// The same into the kUserRecordSize bytes at `decoded`, without a copy on
// the way.
void DecodeStored(const uint8_t* stored, uint8_t* decoded);

// The record to users.cfg bytes. With `encipher` (configuration variable
// 205) the password of a user account is enciphered. False when the
// password cannot be stored so that it reads back unchanged.
bool StoredFromRecord(const UserRecord& record, bool encipher, UserRecord* stored);

}  // namespace tarvelin
