#include "account_guards.h"

#include <algorithm>

#include "cli_output.h"
#include "schema/user_record_offsets.h"

namespace tarvelin::cli {

namespace {

bool PasswordBytesDiffer(const UserRecord& a, const UserRecord& b) {
  const auto from = user_offsets::kPassword;
  const auto to = from + user_offsets::kPasswordCapacity + 1;
  return !std::equal(a.begin() + from, a.begin() + to, b.begin() + from);
}

}  // namespace

void RefuseTypeOrPasswordSetting(int32_t id, const std::string& password_way) {
  if (id == kAccountTypeId) {
    throw CommandError(
        "the type of an account cannot be changed: its settings would be read as another "
        "type's; delete the account and add it again with the new type",
        ExitCode::kRefused);
  }
  if (id == kAccountPasswordId) {
    throw CommandError(
        "a password is not taken on the command line, where other users can read it: use " +
            password_way,
        ExitCode::kUsage);
  }
}

void RefuseTypeOrPasswordChange(const UserRecord& before, const UserRecord& after,
                                const std::string& password_way) {
  if (AccountTypeOf(after) != AccountTypeOf(before)) {
    RefuseTypeOrPasswordSetting(kAccountTypeId, password_way);
  }
  if (AccountTypeOf(after) == kUserAccount && PasswordBytesDiffer(before, after)) {
    RefuseTypeOrPasswordSetting(kAccountPasswordId, password_way);
  }
}

}  // namespace tarvelin::cli
