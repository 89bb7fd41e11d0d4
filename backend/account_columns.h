// What the tables keep beside an account record so lookups need no record
// decoding: taken from the record on every write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "schema/user_record.h"

namespace tarvelin::backend {

struct AccountColumns {
  int64_t type = 0;                  // the account type byte
  std::string mailbox_lower;         // type 0: the mailbox name, lower-cased
  std::string full_name;             // the display name and note text
  std::vector<std::string> aliases;  // the alias list's items, trimmed, lower-cased, once each
};

AccountColumns ColumnsOf(const UserRecord& record);

// The record's password text (type 0; plain in the backend's records).
std::string PasswordOf(const UserRecord& record);

}  // namespace tarvelin::backend
