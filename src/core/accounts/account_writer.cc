#include "core/accounts/account_writer.h"

#include <optional>
#include <string>

#include "core/accounts/account_lookup.h"
#include "core/accounts/engine_hooks.h"
#include "core/accounts/group_members.h"
#include "core/accounts/groupware_push.h"
#include "mailstore/login_files.h"
#include "core/accounts/mail_folder.h"
#include "core/accounts/member_file.h"
#include "core/remote/remote_state_files.h"
#include "schema/user_record_offsets.h"
#include "core/accounts/welcome_messages.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "core/logging.h"
#include "mailstore/mailbox_conversion.h"
#include "platform/file_system.h"

namespace tarvelin {

namespace {

// ServerConfig fields of this module.
constexpr int kWelcomeMessages = 1473;  // variable 69
constexpr int kDirectoryMirror = 207;   // variable 214
constexpr int kLdapService = 3382;      // variable 109

// UserRecord fields of this module.
constexpr int kNoWelcome = 1295;
constexpr int kInactivityLimit = 662;  // high half of offset 660
constexpr uint8_t kResponderKeepsFile = 2;

constexpr uint8_t kNotification = 3;
constexpr uint8_t kRouting = 4;
constexpr uint8_t kCatalog = 5;
constexpr int kTypeFileCapacity = 255;

std::string AddressOf(const UserRecord& record, std::string_view domain) {
  return PrimaryAliasOf(record) + "@" + std::string(domain);
}

bool MirrorOn(const Context& context) {
  const ServerConfig& config = context.config.record;
  return config.Byte(kDirectoryMirror) != 0 && config.Byte(kLdapService) != 0;
}

// The per-account files and the mailbox layout of a written user account.
void FollowUserAccount(Context& context, const UserRecord& record, const UserRecord& old,
                       bool is_new) {
  if (is_new && context.config.record.Byte(kWelcomeMessages) != 0 && record[kNoWelcome] == 0) {
    PlaceWelcomeMessages(context, record);
  }
  const std::string folder = AccountMailFolder(context, record);
  if (!folder.empty()) {
    if ((record[user_offsets::kResponderMode] & kResponderKeepsFile) == 0) {
      context.env().RemoveFile(folder + "respond.dat");
    }
    if (GetLE(record.data() + kInactivityLimit, 2) != 0 && !FileExists(context.env(), folder + "active.dat")) {
      TouchActivity(context.env(), folder);
    }
  }
  const uint8_t old_mode = old[user_offsets::kMailboxMode];
  const uint8_t new_mode = record[user_offsets::kMailboxMode];
  if (!is_new && (old_mode == 0) != (new_mode == 0)) {
    MailboxConversion how;
    how.from_imap = old_mode != 0;
    ConvertMailbox(
        context.env(), MailRootFolder(context),
        GetPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity),
        how);
  }
}

// The file a notification, routing or catalog account keeps beside it.
void RemoveTypeFile(const Context& context, const UserRecord& record) {
  int offset = 0;
  switch (AccountTypeOf(record)) {
    case kNotification:
      offset = 1304;
      break;
    case kRouting:
      offset = 773;
      break;
    case kCatalog:
      offset = 516;
      break;
    default:
      return;
  }
  const std::optional<std::string> path = ResolveStateFile(
      context.api.config_path, GetPString(record.data() + offset, kTypeFileCapacity));
  if (path) context.env().RemoveFile(*path);
}

}  // namespace

Status WriteAccount(Context& context, std::string_view domain, const UserRecord& record,
                    int* position, std::string_view actor) {
  const bool is_new = *position == -1;
  UserRecord old{};
  if (!is_new) LoadAccountAt(context, domain, *position, &old);
  const bool alias_changed = !is_new && PrimaryAliasOf(old) != PrimaryAliasOf(record);

  TARVELIN_RETURN_IF_ERROR(WriteAccountAt(context, domain, record, position));
  LogChange(context, actor, is_new ? "created" : "updated", AddressOf(record, domain), is_new);
  if (alias_changed) {
    ReplaceMemberEverywhere(context,
                            MemberChange{AddressOf(old, domain), AddressOf(record, domain), false});
  }
  if (AccountTypeOf(record) == kUserAccount) FollowUserAccount(context, record, old, is_new);
  if (AccountTypeOf(record) == kGroupAccount) {
    if (alias_changed) PushGroupToGroupware(context, old, domain, /*removed=*/true);
    PushGroupToGroupware(context, record, domain, /*removed=*/false);
  }
  if (MirrorOn(context)) {
    context.hooks().MirrorToDirectory(domain, record, is_new ? DirectoryAction::kNew : DirectoryAction::kChanged);
  }
  return Status::Ok();
}

Result<RemoveOutcome> RemoveAccount(Context& context, std::string_view domain, int position,
                                    std::string_view actor, UserRecord* removed) {
  if (position < 0) return Status::InvalidArgument("no position " + std::to_string(position));
  if (!context.accounts().Exists(domain)) {
    return Status::NotFound(std::string(domain) + " has no accounts");
  }
  if (position >= CountAccounts(context, domain)) return RemoveOutcome::kNothingThere;

  UserRecord record{};
  KnownGroups groups{std::string(domain), {}};
  TARVELIN_RETURN_IF_ERROR(RemoveAccountAt(context, domain, position, &record, &groups.records));
  if (removed != nullptr) *removed = record;
  RemoveTypeFile(context, record);
  LogChange(context, actor, "deleted", AddressOf(record, domain), false);

  if (MirrorOn(context)) context.hooks().MirrorToDirectory(domain, record, DirectoryAction::kRemoved);
  ReplaceMemberEverywhere(context, MemberChange{AddressOf(record, domain), std::nullopt, false},
                          &groups);
  if (AccountTypeOf(record) == kGroupAccount) {
    PushGroupToGroupware(context, record, domain, /*removed=*/true);
    const std::optional<std::string> member_file = ResolveStateFile(
        context.api.config_path,
        MemberItem(GetPString(record.data() + user_offsets::kListMemberFile, kTypeFileCapacity),
                   0));
    if (member_file) context.env().RemoveFile(*member_file);
  }
  return RemoveOutcome::kRemoved;
}

}  // namespace tarvelin
