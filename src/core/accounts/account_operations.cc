#include "core/accounts/account_operations.h"

#include <memory>
#include <string>

#include "core/accounts/account_checks.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_writer.h"
#include "core/accounts/default_mailbox_path.h"
#include "core/accounts/mail_folder.h"
#include "schema/name_text.h"
#include "core/accounts/password_rules.h"
#include "schema/user_record_offsets.h"
#include "core/accounts/account_walk.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/list_match.h"
#include "foundation/text.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kListServerFlag = 1030;
constexpr uint8_t kMailingList = 1;
constexpr uint8_t kListServer = 6;
constexpr int kMailboxCapacity = 127;

std::string TextAt(const UserRecord& record, int offset, int capacity) {
  return GetPString(record.data() + offset, capacity);
}

Status CheckAliasList(const UserRecord& record) {
  const std::string aliases = AliasListOf(record);
  if (ListItems(aliases).empty()) return Status::InvalidArgument("the account has no alias");
  if (!IsValidNameText(aliases, NameRefusal::kAt)) {
    return Status::InvalidArgument("the alias list \"" + aliases + "\" holds a character an alias may not");
  }
  return Status();
}

// Names the alias that is taken and the account that has it.
Status CheckAliasesFree(const Context& context, std::string_view domain, const std::string& aliases) {
  if (AliasAvailable(context, domain, aliases)) return Status();
  for (const std::string& alias : ListItems(aliases)) {
    const int holder = PositionOfAlias(context, domain, alias);
    UserRecord record{};
    if (holder < 0 || LoadAccountAt(context, domain, holder, &record) <= holder) continue;
    return Status::AlreadyExists("the alias \"" + alias + "\" is taken by " +
                                 PrimaryAliasOf(record) + "@" + std::string(domain));
  }
  return Status::AlreadyExists("an alias of \"" + aliases + "\" belongs to another account of " +
                               std::string(domain));
}

// The aliases of `now` that `before` does not hold, as one list.
std::string GainedAliases(const Context& context, const std::string& now,
                          const std::string& before) {
  std::string gained;
  for (const std::string& alias : ListItems(now)) {
    if (!ListMatch(alias, before, GroupFilesOf(context))) gained += alias + ";";
  }
  return gained;
}

// A user account's empty Mailbox takes the primary alias.
void FillMailbox(UserRecord& record) {
  if (!Trim(TextAt(record, user_offsets::kMailbox, kMailboxCapacity)).empty()) return;
  PutPString(record.data() + user_offsets::kMailbox, kMailboxCapacity,
             CutTo(PrimaryAliasOf(record), kMailboxCapacity));
}

Status CheckMailbox(const UserRecord& record) {
  const std::string mailbox = TextAt(record, user_offsets::kMailbox, kMailboxCapacity);
  if (IsValidNameText(mailbox, NameRefusal::kListMarks)) return Status();
  return Status::InvalidArgument("the mailbox name \"" + mailbox + "\" holds a character it may not");
}

Status CheckNoMailboxConflict(Context& context, const UserRecord& record,
                              std::string_view domain) {
  const std::string mailbox = TextAt(record, user_offsets::kMailbox, kMailboxCapacity);
  std::string holder;
  if (!FindMailboxConflict(context, mailbox, TextAt(record, user_offsets::kPassword, kMailboxCapacity),
                           AliasListOf(record), domain, &holder)) {
    return Status();
  }
  return Status::Refused("the mailbox name \"" + mailbox + "\" with the same password is " +
                         holder + "'s: logins could not tell them apart");
}

// The default path for an empty MailboxPath, and a final separator that
// always fits the field.
void FillMailboxPath(Context& context, UserRecord& record, std::string_view domain) {
  std::string path = TextAt(record, user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity);
  if (Trim(path).empty()) path = DefaultMailboxPath(context, domain, AliasListOf(record));
  if (!HasTrailingSeparator(path))
    path = CutTo(path, user_offsets::kMailboxPathCapacity - 1) + kPathSeparator;
  PutPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity,
             CutTo(path, user_offsets::kMailboxPathCapacity));
}

// Refuses a save or delete at a position that no longer holds the account
// the caller loaded there.
Status MovedAway(std::string_view domain, int position, const std::string& loaded) {
  return Status::NotFound("the account at position " + std::to_string(position) + " of " +
                          std::string(domain) + " is no longer \"" + loaded +
                          "\": another program moved or removed it meanwhile; load it again");
}

Status CheckPassword(const Context& context, const UserRecord& record) {
  return PasswordPolicyVerdict(context.config.record,
                               TextAt(record, user_offsets::kPassword, kMailboxCapacity),
                               TextAt(record, user_offsets::kMailbox, kMailboxCapacity),
                               AliasListOf(record));
}

}  // namespace

Result<std::string> ResolveDomainName(const Context& context, std::string_view name) {
  const int position = FindDomainPosition(context, name);
  if (position < 0) return Status::NotFound("no domain \"" + std::string(name) + "\"");
  return context.domains().NameAt(position);
}

std::vector<std::string> PrimaryAliases(const Context& context, std::string_view domain) {
  std::vector<std::string> aliases;
  if (std::unique_ptr<AccountWalk> walk = AccountWalk::Start(context, domain, "")) {
    while (walk->Next()) {
      const std::string list = AliasListOf(walk->record());
      aliases.push_back(list.substr(0, list.find(';')));
    }
  }
  return aliases;
}

Result<UserRecord> LoadAccount(const Context& context, std::string_view domain, int position) {
  UserRecord record{};
  if (LoadAccountAt(context, domain, position, &record) <= 0 || AliasListOf(record).empty()) {
    return Status::NotFound("no account at position " + std::to_string(position) + " of " +
                            std::string(domain));
  }
  if (AccountTypeOf(record) == kMailingList && record[kListServerFlag] != 0) {
    record[user_offsets::kAccountType] = kListServer;
  }
  return record;
}

std::string AccountIdentity(const UserRecord& record) { return ToLower(PrimaryAliasOf(record)); }

Result<std::unique_ptr<StoreLock>> HoldAccounts(const Context& context,
                                                std::string_view domain) {
  return context.accounts().LockDomain(domain);
}

Result<int> AddAccount(Context& context, std::string_view domain, UserRecord record,
                       std::string_view actor) {
  TARVELIN_RETURN_IF_ERROR(CheckAliasList(record));
  const Result<std::unique_ptr<StoreLock>> held = HoldAccounts(context, domain);
  if (!held.ok()) return held.status();
  TARVELIN_RETURN_IF_ERROR(CheckAliasesFree(context, domain, AliasListOf(record)));
  if (AccountTypeOf(record) == kUserAccount) {
    FillMailbox(record);
    TARVELIN_RETURN_IF_ERROR(CheckMailbox(record));
    TARVELIN_RETURN_IF_ERROR(CheckNoMailboxConflict(context, record, domain));
    FillMailboxPath(context, record, domain);
    TARVELIN_RETURN_IF_ERROR(CheckPassword(context, record));
  }
  if (AccountTypeOf(record) == kListServer) record[kListServerFlag] = 1;
  int position = -1;
  TARVELIN_RETURN_IF_ERROR(WriteAccount(context, domain, record, &position, actor));
  return position;
}

Status SaveAccount(Context& context, std::string_view domain, int position, UserRecord record,
                   std::string_view actor, const std::optional<std::string>& loaded) {
  const Result<std::unique_ptr<StoreLock>> held = HoldAccounts(context, domain);
  if (!held.ok()) return held.status();
  UserRecord old{};
  // Only an existing account is saved: a new one goes through AddAccount.
  if (position < 0 || position >= LoadAccountAt(context, domain, position, &old)) {
    return Status::NotFound("no account at position " + std::to_string(position) + " of " +
                            std::string(domain));
  }
  if (loaded && AccountIdentity(old) != *loaded && AccountIdentity(old) != AccountIdentity(record)) {
    return MovedAway(domain, position, *loaded);
  }
  const std::string aliases = AliasListOf(record);
  if (!EqualsNoCase(aliases, AliasListOf(old)) && !ListItems(aliases).empty()) {
    const std::string gained = GainedAliases(context, aliases, AliasListOf(old));
    if (!gained.empty()) TARVELIN_RETURN_IF_ERROR(CheckAliasesFree(context, domain, gained));
  }
  const bool user = AccountTypeOf(record) == kUserAccount;
  if (user) FillMailbox(record);
  TARVELIN_RETURN_IF_ERROR(CheckAliasList(record));
  if (user) {
    TARVELIN_RETURN_IF_ERROR(CheckMailbox(record));
    const bool login_changed = TextAt(record, user_offsets::kMailbox, kMailboxCapacity) !=
                                   TextAt(old, user_offsets::kMailbox, kMailboxCapacity) ||
                               TextAt(record, user_offsets::kPassword, kMailboxCapacity) !=
                                   TextAt(old, user_offsets::kPassword, kMailboxCapacity);
    if (login_changed) TARVELIN_RETURN_IF_ERROR(CheckNoMailboxConflict(context, record, domain));
    FillMailboxPath(context, record, domain);
    TARVELIN_RETURN_IF_ERROR(CheckPassword(context, record));
  }
  int at = position;
  return WriteAccount(context, domain, record, &at, actor);
}

Status DeleteAccount(Context& context, std::string_view domain, int position,
                     std::string_view actor, const std::optional<std::string>& loaded) {
  const Result<std::unique_ptr<StoreLock>> held = HoldAccounts(context, domain);
  if (!held.ok()) return held.status();
  // A negative position is refused as ever, below.
  if (loaded && position >= 0) {
    UserRecord there{};
    if (position >= LoadAccountAt(context, domain, position, &there) ||
        AccountIdentity(there) != *loaded) {
      return MovedAway(domain, position, *loaded);
    }
  }
  UserRecord removed{};
  const Result<RemoveOutcome> outcome = RemoveAccount(context, domain, position, actor, &removed);
  if (!outcome.ok()) return outcome.status();
  if (*outcome == RemoveOutcome::kNothingThere) return Status();
  // The record is gone first, so a failed removal never leaves an account
  // without its mail; the folder is the removed record's own.
  if (AccountTypeOf(removed) == kUserAccount) RemoveAccountMailFolder(context, domain, removed);
  return Status();
}

}  // namespace tarvelin
