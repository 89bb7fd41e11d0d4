#include "schema/user_record.h"

#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"
#include "foundation/text.h"

namespace tarvelin {

uint8_t AccountTypeOf(const UserRecord& record) { return record[user_offsets::kAccountType]; }

std::string AliasListOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kAliasList, user_offsets::kAliasListCapacity);
}

std::string PrimaryAliasOf(const UserRecord& record) {
  const std::string list = AliasListOf(record);
  return Trim(std::string_view(list).substr(0, list.find(';')));
}

}  // namespace tarvelin
