#include "store/login_name.h"

#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {
constexpr int kMailboxCapacity = 127;
}  // namespace

std::string MailboxNameOf(const UserRecord& record) {
  return ToLower(GetPString(record.data() + user_offsets::kMailbox, kMailboxCapacity));
}

bool LoginNameMatches(const LoginName& login, const UserRecord& record, std::string_view domain,
                      const GroupFileReader& groups) {
  if (!login.by_alias) return MailboxNameOf(record) == login.mailbox;
  return login.domain == domain && ListMatch(login.alias,
                                             GetPString(record.data() + user_offsets::kAliasList,
                                                        user_offsets::kAliasListCapacity),
                                             groups);
}

}  // namespace tarvelin
