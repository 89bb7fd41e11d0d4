// The folder of an account's mail and of its per-account files (login.dat,
// active.dat, useraccess.dat): its MailboxPath, below the mail root unless
// absolute; and its removal when the account or its domain goes.
#pragma once

#include <string>
#include <string_view>

#include "mailstore/mail_folder_removal.h"
#include "schema/user_record.h"

namespace tarvelin {

class Context;

// The installation's mail root, ending with a separator. Empty while the
// Context is not initialised: the record then holds only the built-in
// value, which names no folder of any installation.
std::string MailRootFolder(const Context& context);

// Ends with a separator; empty when the record's MailboxPath is empty, and
// for a relative one while there is no mail root (mailstore/
// mailbox_location.h).
std::string AccountMailFolder(const Context& context, const UserRecord& record);

// The installation's folders that no mail folder removal may reach
// (mailstore/mail_folder_removal.h), without held folders.
ProtectedFolders ProtectedFoldersOf(const Context& context);
// The folder that removing the record's mail would remove, by those checks
// alone.
std::string MailFolderToRemove(const Context& context, const UserRecord& record);

// Removes the mail folder of `removed`, an account just removed from
// `domain`, unless it is a domain's mail folder (the mail root's child of
// any domain's name, or any domain's DomainMailboxRoot) or is or holds the
// mailbox of an account still in `domain`. The accounts are read under the
// domain's lock. A folder that is kept is logged with the reason. True
// when the folder was removed (or did not exist).
bool RemoveAccountMailFolder(Context& context, std::string_view domain, const UserRecord& removed);

// Removes the mail folder of the domain `name` (the mail root's child of
// that name) unless it is or holds another domain's mail folder; a folder
// that is kept is logged with the reason.
bool RemoveDomainMailFolder(Context& context, std::string_view name);

}  // namespace tarvelin
