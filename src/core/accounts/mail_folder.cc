#include "core/accounts/mail_folder.h"

#include "core/context.h"
#include "foundation/bytes.h"
#include "mailstore/mailbox_location.h"
#include "schema/config_offsets.h"
#include "schema/user_record_offsets.h"

namespace tarvelin {

namespace {

std::string MailboxPathOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity);
}

}  // namespace

std::string MailRootFolder(const Context& context) {
  if (!context.api.initialised) return {};
  return MailRootFolder(context.api.install_path, context.config.record.Text(offsets::kMailRoot));
}

std::string AccountMailFolder(const Context& context, const UserRecord& record) {
  return MailboxFolder(MailRootFolder(context), MailboxPathOf(record));
}

ProtectedFolders ProtectedFoldersOf(const Context& context) {
  return {context.api.install_path, context.api.config_path,
          context.config.record.Text(offsets::kMailRoot)};
}

std::string MailFolderToRemove(const Context& context, const UserRecord& record) {
  return MailPathToRemove(context.env(), ProtectedFoldersOf(context), MailboxPathOf(record));
}

bool RemoveMailFolder(const Context& context, const UserRecord& record) {
  return RemoveMailPath(context.env(), ProtectedFoldersOf(context), MailboxPathOf(record));
}

bool RemoveMailPath(const Context& context, std::string_view path) {
  return RemoveMailPath(context.env(), ProtectedFoldersOf(context), path);
}

}  // namespace tarvelin
