#include "new_account.h"

#include "account_setting_value.h"
#include "schema/user_record.h"
#include "schema/user_record_offsets.h"
#include "cli_output.h"
#include "cli_values.h"
#include "foundation/bytes.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kTypeId = 0;
constexpr int32_t kAliasListId = 3;
constexpr int32_t kPasswordId = 33;

void Set(UserRecord& record, int32_t id, const std::vector<uint8_t>& bytes) {
  if (::SetUserSetting(record.data(), kUserRecordSize, id, bytes.data(),
                       static_cast<int32_t>(bytes.size())) != 0) {
    throw CommandError("setting " + std::to_string(id) + " was refused");
  }
}

// "ID=VALUE", the value by the id's kind as account set takes it.
void ApplySetting(UserRecord& record, const std::string& assignment) {
  const size_t equals = assignment.find('=');
  if (equals == std::string::npos) throw CommandError("not ID=VALUE: " + assignment);
  const auto id = static_cast<int32_t>(ParseNumber(assignment.substr(0, equals)));
  Set(record, id, AccountSettingBytes(id, assignment.substr(equals + 1)));
}

}  // namespace

AccountAddress SplitAccountAddress(const std::string& address) {
  const size_t at = address.find('@');
  if (at == std::string::npos || at == 0 || at + 1 == address.size() ||
      address.find('@', at + 1) != std::string::npos) {
    throw CommandError("not an address (local@domain): " + address);
  }
  AccountAddress split{address.substr(0, at), address.substr(at + 1)};
  if (split.local.find(';') != std::string::npos) {
    throw CommandError("one alias per address: \";\" in " + address);
  }
  return split;
}

int32_t AddNewAccount(const NewAccount& account) {
  const AccountAddress address = SplitAccountAddress(account.address);
  // The record would cut what does not fit, and a cut alias or password
  // is not what was asked for.
  if (address.local.size() > static_cast<size_t>(user_offsets::kAliasListCapacity)) {
    throw CommandError("the local part of " + account.address + " is longer than " +
                       std::to_string(user_offsets::kAliasListCapacity) + " characters");
  }
  if (account.password.has_value()) {
    if (account.type != kUserAccount) {
      throw CommandError("only user accounts (type 0) have a password");
    }
    if (account.password->size() > static_cast<size_t>(user_offsets::kPasswordCapacity)) {
      throw CommandError("the password is longer than " +
                         std::to_string(user_offsets::kPasswordCapacity) + " characters");
    }
  }
  if (::GetDomainIndex(address.domain.c_str()) < 0) {
    throw CommandError("no domain " + address.domain);
  }
  if (::GetUserIndex(address.domain.c_str(), address.local.c_str()) >= 0) {
    throw CommandError(address.local + " is already an alias in " + address.domain);
  }

  UserRecord record{};
  // default.ini describes user accounts: its values would land in the
  // fields of another type's variant part.
  if (account.type == kUserAccount) ::SetUserDefaults(record.data(), kUserRecordSize, 0);
  std::vector<uint8_t> type(4);
  PutLE(type.data(), 4, account.type);
  Set(record, kTypeId, type);
  Set(record, kAliasListId, {address.local.begin(), address.local.end()});
  if (account.password.has_value()) {
    Set(record, kPasswordId, {account.password->begin(), account.password->end()});
  }
  for (const std::string& assignment : account.settings) ApplySetting(record, assignment);

  const int32_t position = ::AddUser(address.domain.c_str(), record.data(), kUserRecordSize);
  if (position < 0) {
    throw CommandError("cannot add " + account.address +
                       ": an alias is taken or not valid, the mailbox name is not valid or "
                       "makes logins ambiguous, the password policy refuses the password, or "
                       "users.cfg could not be written");
  }
  return position;
}

}  // namespace tarvelin::cli
