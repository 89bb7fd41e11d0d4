// Removal of a mail folder (an account's, a domain's) when its owner is
// deleted. The removal is recursive, so the folder is checked first: it
// must be one folder of its own, never one that holds the server's other
// data.
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

// The folders of an installation that a removal must never reach.
struct ProtectedFolders {
  std::string install_path;
  std::string config_path;
  std::string mail_root;  // as configured (variable 23): below install_path unless absolute
};

// The folder to remove for a MailboxPath: the path itself when absolute,
// else below the mail root. Empty, meaning leave everything alone, when
// the path or the mail root is blank; when a relative path climbs out of
// the mail root through ".." or names the mail root itself; and when the
// folder is, or lies above, the mail root, the installation folder, the
// configuration folder or the file-system root, by its text or by the
// object it reaches through links.
std::string MailPathToRemove(Env& env, const ProtectedFolders& folders, std::string_view path);

// Removes that folder with everything below it (links are removed, not
// followed). False when it was refused or not removed completely.
bool RemoveMailPath(Env& env, const ProtectedFolders& folders, std::string_view path);

}  // namespace tarvelin
