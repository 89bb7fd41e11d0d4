// Renaming and deleting a domain: its list entry, its folders and its
// addresses in the member files of every group.
#pragma once

#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// Renames the domain in the list and its configuration folder (the stored
// lower-case names), moves its addresses in group member files to the new
// name and keeps its binding; the mail folder is not touched. Saves the
// configuration and tells the services. InvalidArgument for a new name
// that is empty, too long or no valid folder name; NotFound for an old
// name that does not resolve; AlreadyExists when another domain has the
// new name.
Status RenameDomain(Context& context, std::string_view old_name, std::string_view new_name);

// Removes the domain at `position`: its mail folder (only when it is one
// folder of its own below the mail root), its addresses from group member
// files, its configuration folder and its list entry; saves the
// configuration and tells the services. InvalidArgument for a position
// outside the list; NotFound when another program removed the domain
// meanwhile (an entry another program moved is found by its name). Holds
// kSettingsLock to the save.
Status DeleteDomain(Context& context, int position);

}  // namespace tarvelin
