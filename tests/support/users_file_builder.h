// Account records and users.cfg images built by hand for the tests, apart
// from the library's own writer.
#pragma once

#include <string>
#include <vector>

#include "schema/user_record.h"
#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"

namespace tarvelin::testing {

inline UserRecord MakeRecord(const std::string& aliases, const std::string& password = "",
                             uint8_t type = kUserAccount) {
  UserRecord record{};
  record[user_offsets::kAccountType] = type;
  PutPString(record.data() + user_offsets::kAliasList, 255, aliases);
  if (type == kUserAccount) PutPString(record.data() + user_offsets::kPassword, 127, password);
  return record;
}

// A user account that logs in by `mailbox`, its mail in `mailbox_path`.
inline UserRecord MakeUser(const std::string& aliases, const std::string& mailbox,
                           const std::string& password, const std::string& mailbox_path = "") {
  UserRecord record = MakeRecord(aliases, password);
  PutPString(record.data() + user_offsets::kMailbox, 127, mailbox);
  PutPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity,
             mailbox_path);
  return record;
}

// Each record scrambled on its own, from key position 0 at its first byte.
inline std::string FileOf(std::vector<UserRecord> records) {
  std::string bytes;
  for (UserRecord& record : records) {
    ScrambleBytes(record.data(), record.size(), 0);
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  return bytes;
}

inline std::string PasswordOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kPassword, user_offsets::kPasswordCapacity);
}

}  // namespace tarvelin::testing
