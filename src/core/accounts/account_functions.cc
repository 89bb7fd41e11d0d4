#include "core/accounts/account_functions.h"

#include <cstring>
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
#include "core/domains/domain_functions.h"
#include "foundation/bytes.h"
#include "foundation/list_match.h"
#include "foundation/text.h"
#include "api/c/api_result.h"
#include "core/context.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kListServerFlag = 1030;
constexpr uint8_t kMailingList = 1;
constexpr uint8_t kListServer = 6;
constexpr int kMailboxCapacity = 127;

// The domain's name as the list holds it; empty when it does not resolve.
std::string DomainNamed(const Context& context, const char* name) {
  const int32_t position = FindDomainIndex(context, name);
  return position < 0 ? std::string() : context.domains().NameAt(position);
}

bool RecordFits(const void* buffer, int32_t size) {
  return buffer != nullptr && size >= kUserRecordSize;
}

UserRecord RecordFrom(const void* buffer) {
  UserRecord record;
  std::memcpy(record.data(), buffer, record.size());
  return record;
}

std::string TextAt(const UserRecord& record, int offset, int capacity) {
  return GetPString(record.data() + offset, capacity);
}

bool AliasListUsable(const UserRecord& record) {
  const std::string aliases = AliasListOf(record);
  return !ListItems(aliases).empty() && IsValidNameText(aliases, NameRefusal::kAt);
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

bool MailboxValid(const UserRecord& record) {
  return IsValidNameText(TextAt(record, user_offsets::kMailbox, kMailboxCapacity),
                         NameRefusal::kListMarks);
}

bool MailboxConflicts(Context& context, const UserRecord& record, std::string_view domain) {
  return FindMailboxConflict(context, TextAt(record, user_offsets::kMailbox, kMailboxCapacity),
                             TextAt(record, user_offsets::kPassword, kMailboxCapacity),
                             AliasListOf(record), domain);
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

bool PasswordAccepted(const Context& context, const UserRecord& record) {
  const ServerConfig& config = context.config.record;
  return config.Byte(offsets::kPasswordPolicy) == 0 ||
         CheckPasswordRules(config, TextAt(record, user_offsets::kPassword, kMailboxCapacity),
                            TextAt(record, user_offsets::kMailbox, kMailboxCapacity),
                            AliasListOf(record));
}

}  // namespace

int32_t GetUserCount(Context& context, const char* domain) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  return name.empty() ? kResultFailed : CountAccounts(context, name);
}

int32_t GetUserList(Context& context, const char* domain, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  if (name.empty()) return kResultFailed;
  std::string text;
  if (std::unique_ptr<AccountWalk> walk = AccountWalk::Start(context, name, "")) {
    while (walk->Next()) {
      const std::string aliases = AliasListOf(walk->record());
      text += aliases.substr(0, aliases.find(';'));
      text += '\0';
    }
  }
  text += '\0';
  if (buffer == nullptr || size < static_cast<int64_t>(text.size())) return kResultBufferTooSmall;
  std::memset(buffer, 0, static_cast<size_t>(size));
  std::memcpy(buffer, text.data(), text.size());
  return static_cast<int32_t>(text.size());
}

int32_t GetUserIndex(Context& context, const char* domain, const char* alias) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  if (name.empty() || alias == nullptr) return kResultFailed;
  return PositionOfAlias(context, name, alias);
}

int32_t LoadUser(Context& context, const char* domain, int32_t position, void* buffer,
                 int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  if (name.empty()) return kResultFailed;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  UserRecord record{};
  if (LoadAccountAt(context, name, position, &record) <= 0 || AliasListOf(record).empty()) {
    return kResultFailed;
  }
  if (AccountTypeOf(record) == kMailingList && record[kListServerFlag] != 0) {
    record[user_offsets::kAccountType] = kListServer;
  }
  std::memcpy(buffer, record.data(), record.size());
  return kUserRecordSize;
}

int32_t AddUser(Context& context, const char* domain, const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  if (name.empty()) return kResultFailed;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  UserRecord record = RecordFrom(buffer);
  if (!AliasListUsable(record) || !AliasAvailable(context, name, AliasListOf(record))) {
    return kResultFailed;
  }
  if (AccountTypeOf(record) == kUserAccount) {
    FillMailbox(record);
    if (!MailboxValid(record) || MailboxConflicts(context, record, name)) return kResultFailed;
    FillMailboxPath(context, record, name);
    if (!PasswordAccepted(context, record)) return kResultFailed;
  }
  if (AccountTypeOf(record) == kListServer) record[kListServerFlag] = 1;
  int position = -1;
  return WriteAccount(context, name, record, &position, "") ? position : kResultFailed;
}

int32_t SaveUser(Context& context, const char* domain, int32_t position, const void* buffer,
                 int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  if (name.empty()) return kResultFailed;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  UserRecord record = RecordFrom(buffer);
  UserRecord old{};
  // Only an existing account is saved: a new one goes through AddUser.
  if (position < 0 || position >= LoadAccountAt(context, name, position, &old)) {
    return kResultFailed;
  }
  const std::string aliases = AliasListOf(record);
  if (!EqualsNoCase(aliases, AliasListOf(old)) && !ListItems(aliases).empty()) {
    const std::string gained = GainedAliases(context, aliases, AliasListOf(old));
    if (!gained.empty() && !AliasAvailable(context, name, gained)) return kResultFailed;
  }
  const bool user = AccountTypeOf(record) == kUserAccount;
  if (user) FillMailbox(record);
  if (!AliasListUsable(record) || (user && !MailboxValid(record))) return kResultFailed;
  if (user) {
    const bool login_changed = TextAt(record, user_offsets::kMailbox, kMailboxCapacity) !=
                                   TextAt(old, user_offsets::kMailbox, kMailboxCapacity) ||
                               TextAt(record, user_offsets::kPassword, kMailboxCapacity) !=
                                   TextAt(old, user_offsets::kPassword, kMailboxCapacity);
    if (login_changed && MailboxConflicts(context, record, name)) return kResultFailed;
    FillMailboxPath(context, record, name);
    if (!PasswordAccepted(context, record)) return kResultFailed;
  }
  int at = position;
  return WriteAccount(context, name, record, &at, "") ? 0 : kResultFailed;
}

int32_t DeleteUser(Context& context, const char* domain, int32_t position) {
  if (!context.api.initialised) return kResultNotInitialised;
  const std::string name = DomainNamed(context, domain);
  if (name.empty()) return kResultFailed;
  UserRecord removed{};
  switch (RemoveAccount(context, name, position, "", &removed)) {
    case RemoveOutcome::kFailed:
      return kResultFailed;
    case RemoveOutcome::kNothingThere:
      return 0;
    case RemoveOutcome::kRemoved:
      break;
  }
  // The record is gone first, so a failed removal never leaves an account
  // without its mail; the folder is the removed record's own.
  if (AccountTypeOf(removed) == kUserAccount) RemoveMailFolder(context, removed);
  return 0;
}

}  // namespace tarvelin
