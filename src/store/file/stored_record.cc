#include "store/file/stored_record.h"

#include <cstring>
#include <optional>
#include <string>

#include "store/file/password_cipher.h"
#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"

namespace tarvelin {

namespace {

// `to` = `from` through the transform, kUserRecordSize bytes; the two may
// be the same. The key stream of a whole record is taken once from the
// transform itself; combining word by word keeps every record read on the
// lookup path cheap.
void ScrambleRecordBytes(const uint8_t* from, uint8_t* to) {
  static const UserRecord kStream = [] {
    UserRecord zero{};
    ScrambleBytes(zero.data(), zero.size(), 0);
    return zero;
  }();
  static_assert(kUserRecordSize % sizeof(uint64_t) == 0);
  for (size_t i = 0; i < kUserRecordSize; i += sizeof(uint64_t)) {
    uint64_t word, key;
    std::memcpy(&word, from + i, sizeof word);
    std::memcpy(&key, kStream.data() + i, sizeof key);
    word ^= key;
    std::memcpy(to + i, &word, sizeof word);
  }
}

}  // namespace

void ScrambleRecord(UserRecord& record) { ScrambleRecordBytes(record.data(), record.data()); }

UserRecord RecordFromStored(const uint8_t* stored) {
  UserRecord record;
  DecodeStored(stored, record.data());
  return record;
}

void DecodeStored(const uint8_t* stored, uint8_t* decoded) {
  ScrambleRecordBytes(stored, decoded);
  if (decoded[user_offsets::kAccountType] == kUserAccount) {
    uint8_t* field = decoded + user_offsets::kPassword;
    const std::string kept = GetPString(field, user_offsets::kPasswordCapacity);
    if (IsEncipheredForm(kept)) {
      const std::string plain = PlainPassword(kept);
      PutPString(field, user_offsets::kPasswordCapacity, plain);
      // No remnant of the stored form stays behind the password.
      std::memset(field + 1 + plain.size(), 0, user_offsets::kPasswordCapacity - plain.size());
    }
  }
}

bool StoredFromRecord(const UserRecord& record, bool encipher, UserRecord* stored) {
  *stored = record;
  if (AccountTypeOf(record) == kUserAccount) {
    uint8_t* field = stored->data() + user_offsets::kPassword;
    const std::string plain = GetPString(field, user_offsets::kPasswordCapacity);
    const std::optional<std::string> form = StoredPassword(plain, encipher);
    if (!form) return false;
    // An unchanged field keeps its bytes exactly, odd length byte included.
    if (*form != plain) PutPString(field, user_offsets::kPasswordCapacity, *form);
  }
  ScrambleRecord(*stored);
  return true;
}

}  // namespace tarvelin
