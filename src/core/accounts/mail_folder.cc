#include "core/accounts/mail_folder.h"

#include <memory>
#include <vector>

#include "core/context.h"
#include "core/domains/domain_records.h"
#include "core/logging.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "log/log_kinds.h"
#include "mailstore/mailbox_location.h"
#include "schema/config_offsets.h"
#include "schema/user_record_offsets.h"
#include "store/account_store.h"
#include "store/domain_store.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

std::string MailboxPathOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity);
}

// The mail folders of every domain but `except`: the mail root's child of
// its name and its DomainMailboxRoot.
void AddDomainFolders(Context& context, std::string_view except, std::vector<HeldFolder>* held) {
  DomainStore& domains = context.domains();
  for (int position = 0; position < domains.Count(); ++position) {
    const std::string name = domains.NameAt(position);
    if (name.empty() || EqualsNoCase(name, except)) continue;
    const std::string owner = "the domain " + name;
    held->push_back({name, owner});
    const std::string root = DomainMailboxRoot(context, name);
    if (!Trim(root).empty()) held->push_back({root, owner});
  }
}

void LogKept(const Context& context, std::string_view operation, std::string_view object,
             std::string_view reason) {
  WriteLog(context, 0, kLogKindError, "SYSTEM", 1,
           std::string(operation) + " " + std::string(object) + ": mail folder kept: " +
               std::string(reason));
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
          context.config.record.Text(offsets::kMailRoot), {}};
}

std::string MailFolderToRemove(const Context& context, const UserRecord& record) {
  return MailPathToRemove(context.env(), ProtectedFoldersOf(context), MailboxPathOf(record));
}

bool RemoveAccountMailFolder(Context& context, std::string_view domain, const UserRecord& removed) {
  const std::string path = MailboxPathOf(removed);
  const std::string object = PrimaryAliasOf(removed) + "@" + std::string(domain);
  // No account may take the folder over while it is checked and removed.
  Result<CrossProcessLocks::Held> lock = context.file_locks().Acquire(
      LockFileOf(context.api.config_path), AccountsLockOf(ToLower(domain)));
  if (!lock.ok()) {
    LogKept(context, "DeleteUser", object, lock.status().message());
    return false;
  }
  ProtectedFolders folders = ProtectedFoldersOf(context);
  AddDomainFolders(context, /*except=*/"", &folders.held);
  if (std::unique_ptr<AccountIterator> it = context.accounts().NewIterator(domain)) {
    for (it->Seek(0); it->Valid(); it->Next()) {
      if (it->account_type() != kUserAccount) continue;
      const UserRecord other = it->record();
      folders.held.push_back({MailboxPathOf(other), PrimaryAliasOf(other) + "@" +
                                                        std::string(domain)});
    }
    if (!it->status().ok()) {
      // Without every account read, no folder is known to be free.
      LogKept(context, "DeleteUser", object, it->status().message());
      return false;
    }
  }
  std::string reason;
  const bool removed_folder = RemoveMailPath(context.env(), folders, path, &reason);
  if (!reason.empty()) LogKept(context, "DeleteUser", object, reason);
  return removed_folder;
}

bool RemoveDomainMailFolder(Context& context, std::string_view name) {
  ProtectedFolders folders = ProtectedFoldersOf(context);
  AddDomainFolders(context, /*except=*/name, &folders.held);
  std::string reason;
  const bool removed_folder = RemoveMailPath(context.env(), folders, name, &reason);
  if (!reason.empty()) LogKept(context, "DeleteDomain", name, reason);
  return removed_folder;
}

}  // namespace tarvelin
