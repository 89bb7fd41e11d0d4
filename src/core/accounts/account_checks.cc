#include "core/accounts/account_checks.h"

#include <cmath>

#include "core/accounts/account_lookup.h"
#include "mailstore/login_files.h"
#include "store/login_name.h"
#include "core/accounts/mail_folder.h"
#include "schema/user_record_offsets.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/list_match.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/local_now.h"

namespace tarvelin {

namespace {

bool Expired(Env& env, const UserRecord& record) {
  if (record[user_offsets::kAccountExpires] == 0) return false;
  const double expiry = GetDouble(record.data() + user_offsets::kAccountExpiryDate);
  return std::floor(LocalNowAsDateTime(env)) > std::floor(expiry);
}

bool Inactive(Env& env, const UserRecord& record, const std::string& folder) {
  const uint32_t limit = GetLE(record.data() + user_offsets::kInactivity, 4) >> 16;
  if (limit == 0 || folder.empty()) return false;
  const int64_t days = DaysSinceActivity(env, folder, env.NowUnixSeconds());
  return days > 0 && days > limit;
}

}  // namespace

bool ValidateAccountAccess(Context& context, const UserRecord& record) {
  if (AccountTypeOf(record) != kUserAccount) return true;
  Env& env = context.env();
  if (record[user_offsets::kAccountState] != 0 || Expired(env, record)) return false;
  const std::string folder = AccountMailFolder(context, record);
  if (Inactive(env, record, folder)) return false;
  if (folder.empty()) return true;
  env.CreateDirectories(folder);
  const ServerConfig& config = context.config.record;
  if (config.Byte(offsets::kRecordAccess) != 0 || config.Byte(offsets::kRecordAccessToo) != 0) {
    RecordAccess(env, folder, LocalNowAsDateTime(env));
  }
  return true;
}

bool FindMailboxConflict(Context& context, std::string_view mailbox, std::string_view password,
                         std::string_view aliases, std::string_view domain, std::string* holder) {
  if (context.config.record.Byte(offsets::kAliasLogin) != 0) return false;
  const DomainStore& domains = context.domains();
  if (context.database_storage()) {
    // db.so answers without naming the account.
    const bool bound = domains.Count() > 0 && domains.BindingFlag(0);
    if (!context.backend().CheckForMailbox(mailbox, password, aliases, domain, bound)) return false;
    if (holder != nullptr) *holder = "another account";
    return true;
  }
  const int own = domains.FindPosition(domain, /*strict=*/true);
  const std::string bound = domains.GetBinding(own);
  const std::string wanted = ToLower(mailbox);
  const GroupFileReader groups = GroupFilesOf(context);
  for (int position = 0; position < domains.Count(); ++position) {
    if (!bound.empty() && !ListMatch(domains.GetBinding(position), bound)) continue;
    const std::string name = domains.NameAt(position);
    // Only the accounts with that mailbox name need reading.
    for (int at : context.accounts().PositionsOfMailbox(name, wanted)) {
      UserRecord record;
      LoadAccountAt(context, name, at, &record);
      if (AccountTypeOf(record) != kUserAccount || MailboxNameOf(record) != wanted) continue;
      if (GetPString(record.data() + user_offsets::kPassword, user_offsets::kPasswordCapacity) !=
          password) {
        continue;
      }
      if (position != own || !ListMatch(aliases,
                                        GetPString(record.data() + user_offsets::kAliasList,
                                                   user_offsets::kAliasListCapacity),
                                        groups)) {
        if (holder != nullptr) *holder = PrimaryAliasOf(record) + "@" + name;
        return true;
      }
    }
  }
  return false;
}

}  // namespace tarvelin
