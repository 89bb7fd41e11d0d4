// A new account made from the command line, as account add and account
// import make it: the defaults file's values for a user account, the type,
// the local part as its one alias, the password and further settings by
// name or number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"

namespace tarvelin::cli {

struct NewAccount {
  std::string address;                  // local@domain
  uint8_t type = 0;                     // 0 user ... 7 group
  std::optional<std::string> password;  // user accounts only
  std::vector<std::string> settings;    // "NAME=VALUE" or "ID=VALUE", applied last, in order
};

// An address split into its local part and domain.
struct AccountAddress {
  std::string local;
  std::string domain;
};
// Exactly one "@" with text on both sides, and no ";" in the local part
// (which would make it several aliases); throws CommandError otherwise.
AccountAddress SplitAccountAddress(const std::string& address);

struct AddedAccount {
  std::string domain;  // as stored
  int position;
};

// Adds the account to its address's domain. Throws CommandError saying why
// it was not added; nothing is written then.
AddedAccount AddNewAccount(Context& context, const NewAccount& account);

}  // namespace tarvelin::cli
