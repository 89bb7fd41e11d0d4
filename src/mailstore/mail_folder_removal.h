// Removal of a user account's mail folder when the account is deleted. The
// removal is recursive, so the folder is checked first: it must be one
// folder of its own, never one that holds the server's other data.
#pragma once

#include <string>
#include <string_view>

#include "schema/user_record.h"

namespace tarvelin {

struct Context;

// The folder to remove for `record`: its MailboxPath when absolute, else
// below the mail root (configuration variable 23). Empty, meaning leave
// everything alone, when the MailboxPath or the mail root is blank; when a
// relative MailboxPath climbs out of the mail root through ".." or names
// the mail root itself; and when the folder is, or lies above, the mail
// root, the installation folder, the configuration folder or the
// file-system root, by its text or by the object it reaches through links.
std::string MailFolderToRemove(const Context& context, const UserRecord& record);

// Removes that folder with everything below it (links are removed, not
// followed). False when it was refused or not removed completely.
bool RemoveMailFolder(const Context& context, const UserRecord& record);

// The same checks and removal for a path given as a MailboxPath would be
// (a domain's mail folder is its name below the mail root).
std::string MailPathToRemove(const Context& context, std::string_view path);
bool RemoveMailPath(const Context& context, std::string_view path);

}  // namespace tarvelin
