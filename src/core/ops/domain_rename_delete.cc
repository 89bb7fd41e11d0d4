// RenameDomain and DeleteDomain: the list entry, the domain's folders and
// its addresses in group member files.
#include <string>

#include "core/accounts/account_lookup.h"
#include "core/accounts/group_members.h"
#include "core/accounts/mail_folder.h"
#include "core/config/config_merge.h"
#include "core/config/config_save.h"
#include "core/domains/domain_operations.h"
#include "core/ops/domain_rename_delete.h"
#include "store/domain_store.h"
#include "foundation/text.h"
#include "core/context.h"
#include "core/logging.h"
#include "platform/file_system.h"
#include "platform/remove_tree.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr size_t kNameArgumentMax = 255;

// The accounts lock of a domain whose folder moves or goes: no account is
// written into it meanwhile. Taken after kSettingsLock, as the order says.
Result<CrossProcessLocks::Held> LockAccounts(Context& context, std::string_view domain) {
  return context.file_locks().Acquire(LockFileOf(context.api.config_path), AccountsLockOf(domain));
}

// "*@" + domain: every member address at the domain.
std::string EveryoneAt(std::string_view domain) { return "*@" + std::string(domain); }

}  // namespace

Status RenameDomain(Context& context, std::string_view old_name, std::string_view new_name) {
  DomainStore& domains = context.domains();
  const std::string wanted = ToLower(CutTo(new_name, kNameArgumentMax));
  if (!DomainStore::ValidName(wanted) || !DomainStore::IsFolderName(wanted) ||
      wanted.size() > static_cast<size_t>(kDomainNameMax)) {
    return Status::InvalidArgument("\"" + wanted + "\" is no valid domain name");
  }
  // Held to the save, the checks made on the list as last saved by any
  // program; before the accounts' locks the member files take.
  const Result<CrossProcessLocks::Held> held = LockCurrentConfiguration(context);
  if (!held.ok()) return held.status();
  const int position = domains.FindPosition(CutTo(old_name, kNameArgumentMax), /*strict=*/true);
  if (position < 0) return Status::NotFound("no domain \"" + std::string(old_name) + "\"");
  // Two entries of one name would share one folder.
  const int taken = domains.FindPosition(wanted, /*strict=*/true);
  if (taken >= 0 && taken != position) {
    return Status::AlreadyExists("the domain \"" + wanted + "\" exists already");
  }
  const std::string old_stored = domains.NameAt(position);
  const std::string binding = domains.GetBinding(position);

  // The database first: when it refuses, nothing else has changed. The
  // binding set again below reaches it under the new name.
  if (context.database_storage() && old_stored != wanted) {
    const BackendLibrary& backend = context.backend();
    BackendLibrary::Hold hold(backend);
    if (!backend.RenameDomain(old_stored, wanted)) {
      return Status::Unavailable("the database did not rename " + old_stored + ": " +
                                 backend.Failure("DBRenameDomain").message());
    }
  }
  ReplaceMemberEverywhere(context, MemberChange{EveryoneAt(old_stored), EveryoneAt(wanted), true});
  const std::string old_folder = DomainFolder(context, old_stored);
  domains.RenameEntry(position, wanted);
  const std::string new_folder = DomainFolder(context, wanted);
  // The folders carry the stored, lower-case names: on this platform the
  // caller's spelling could name no folder at all.
  if (!old_folder.empty() && !new_folder.empty() && old_folder != new_folder) {
    const Result<CrossProcessLocks::Held> old_accounts = LockAccounts(context, old_stored);
    if (!old_accounts.ok()) return old_accounts.status();
    const Result<CrossProcessLocks::Held> new_accounts = LockAccounts(context, wanted);
    if (!new_accounts.ok()) return new_accounts.status();
    context.env().RenameFile(old_folder, new_folder, /*replace=*/false);
  }
  domains.SetBinding(position, binding);
  SaveConfig(context);
  UpdateConfiguration(context.Channel());
  return Status();
}

Status DeleteDomain(Context& context, int position) {
  DomainStore& domains = context.domains();
  if (position < 0 || position >= domains.Count()) {
    return Status::InvalidArgument("no domain at position " + std::to_string(position));
  }
  const std::string name = domains.NameAt(position);
  // Held to the save; another program's save may have moved the entry.
  const Result<CrossProcessLocks::Held> held = LockCurrentConfiguration(context);
  if (!held.ok()) return held.status();
  position = CurrentPosition(context, position, name);
  if (position < 0) return Status::NotFound("the domain " + name + " was removed meanwhile");
  if (!name.empty()) {
    // A name that could not be one folder below the mail root is refused
    // by the checks of the removal.
    if (DomainStore::IsFolderName(name)) RemoveDomainMailFolder(context, name);
    ReplaceMemberEverywhere(context, MemberChange{EveryoneAt(name), std::nullopt, true});
  }
  LogChange(context, "", "deleted", name, /*is_new=*/false);
  if (context.database_storage()) context.backend().DeleteDomain(name);
  if (!name.empty()) {
    const std::string folder = DomainFolder(context, name);
    if (!folder.empty()) {
      const Result<CrossProcessLocks::Held> accounts = LockAccounts(context, name);
      if (!accounts.ok()) return accounts.status();
      RemoveTree(context.env(), folder);
    }
  }
  domains.RemoveEntry(position);
  SaveConfig(context);
  UpdateConfiguration(context.Channel());
  return Status();
}

}  // namespace tarvelin
