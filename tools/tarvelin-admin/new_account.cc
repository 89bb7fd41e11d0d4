#include "new_account.h"

#include "account_guards.h"
#include "cli_output.h"
#include "cli_values.h"
#include "core/accounts/account_defaults.h"
#include "core/accounts/account_operations.h"
#include "schema/user_settings.h"
#include "schema/user_record.h"
#include "setting_names.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kAliasListId = 3;
constexpr char kPasswordWay[] = "--password-stdin";

void Set(UserRecord& record, int32_t id, const SettingValue& value) {
  Check(SetUserSettingValue(record.data(), id, value));
}

// "NAME=VALUE" or "ID=VALUE", the value by the setting's kind as account
// set takes it. The type and the password have ways of their own.
void ApplySetting(UserRecord& record, const SettingNames& names, const std::string& text) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) {
    throw CommandError("not NAME=VALUE or ID=VALUE: " + text, ExitCode::kUsage);
  }
  const int32_t id = names.IdOf(text.substr(0, equals));
  if (id == kAccountTypeId) throw CommandError("the type is given with --type", ExitCode::kUsage);
  RefuseTypeOrPasswordSetting(id, kPasswordWay);
  const SettingShape shape = Checked(DescribeUserSetting(id));
  Set(record, id, ValueOfText(shape, text.substr(equals + 1)));
}

// A text the record could not hold whole: a cut alias or password is not
// what was asked for.
void CheckFits(int32_t id, const std::string& text, const std::string& what) {
  const int capacity = Checked(DescribeUserSetting(id)).size;
  if (text.size() > static_cast<size_t>(capacity)) {
    throw CommandError(what + " is longer than " + std::to_string(capacity) + " characters",
                       ExitCode::kRefused);
  }
}

}  // namespace

AccountAddress SplitAccountAddress(const std::string& address) {
  const size_t at = address.find('@');
  if (at == std::string::npos || at == 0 || at + 1 == address.size() ||
      address.find('@', at + 1) != std::string::npos) {
    throw CommandError("not an address (local@domain): " + address, ExitCode::kUsage);
  }
  AccountAddress split{address.substr(0, at), address.substr(at + 1)};
  if (split.local.find(';') != std::string::npos) {
    throw CommandError("one alias per address: \";\" in " + address, ExitCode::kUsage);
  }
  return split;
}

AddedAccount AddNewAccount(Context& context, const NewAccount& account) {
  const AccountAddress address = SplitAccountAddress(account.address);
  CheckFits(kAliasListId, address.local, "the local part of " + account.address);
  if (account.password.has_value()) {
    if (account.type != kUserAccount) {
      throw CommandError("only user accounts (type 0) have a password", ExitCode::kUsage);
    }
    CheckFits(kAccountPasswordId, *account.password, "the password");
  }
  const std::string domain = Checked(ResolveDomainName(context, address.domain));

  UserRecord record{};
  // default.ini describes user accounts: its values would land in the
  // fields of another type's variant part.
  if (account.type == kUserAccount) SetUserDefaults(context, record.data(), 0);
  Set(record, kAccountTypeId, SettingValue::Number(account.type));
  Set(record, kAliasListId, SettingValue::Text(address.local));
  if (account.password.has_value())
    Set(record, kAccountPasswordId, SettingValue::Text(*account.password));
  const SettingNames names(context, SettingFamily::kAccount);
  const UserRecord before = record;
  for (const std::string& assignment : account.settings) ApplySetting(record, names, assignment);
  // The whole record (U_Record) reaches the type and the password too.
  if (AccountTypeOf(record) != AccountTypeOf(before)) {
    throw CommandError("the type is given with --type", ExitCode::kUsage);
  }
  RefuseTypeOrPasswordChange(before, record, kPasswordWay);
  return {domain, Checked(AddAccount(context, domain, record, ""))};
}

}  // namespace tarvelin::cli
