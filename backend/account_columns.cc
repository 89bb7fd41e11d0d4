#include "backend/account_columns.h"

#include <algorithm>

#include "foundation/bytes.h"
#include "foundation/list_match.h"
#include "foundation/text.h"
#include "schema/user_record_offsets.h"

namespace tarvelin::backend {
namespace {

constexpr int kMailboxCapacity = 127;
constexpr int kFullNameCapacity = 254;

}  // namespace

AccountColumns ColumnsOf(const UserRecord& record) {
  AccountColumns columns;
  columns.type = AccountTypeOf(record);
  if (columns.type == kUserAccount) {
    columns.mailbox_lower =
        ToLower(GetPString(record.data() + user_offsets::kMailbox, kMailboxCapacity));
  }
  columns.full_name = GetPString(record.data() + user_offsets::kNameAndNote, kFullNameCapacity);
  for (std::string& item : ListItems(AliasListOf(record))) {
    if (std::find(columns.aliases.begin(), columns.aliases.end(), item) == columns.aliases.end()) {
      columns.aliases.push_back(std::move(item));
    }
  }
  return columns;
}

std::string PasswordOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kPassword, user_offsets::kPasswordCapacity);
}

}  // namespace tarvelin::backend
