// The folder of an account's mail and of its per-account files (login.dat,
// active.dat, useraccess.dat): its MailboxPath, below the mail root unless
// absolute.
#pragma once

#include <string>

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

// The removal of an account's or a domain's mail folder, with the checks of
// mailstore/mail_folder_removal.h for the installation's folders.
ProtectedFolders ProtectedFoldersOf(const Context& context);
std::string MailFolderToRemove(const Context& context, const UserRecord& record);
bool RemoveMailFolder(const Context& context, const UserRecord& record);
bool RemoveMailPath(const Context& context, std::string_view path);

}  // namespace tarvelin
