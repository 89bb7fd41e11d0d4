// Removal of a mail folder (an account's, a domain's) when its owner is
// deleted. The removal is recursive, so the folder is checked first: it
// must be one folder of its own, never one that holds the server's other
// data or another owner's mail. Every check runs on real paths (links
// resolved), so a link cannot lead a removal somewhere else.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace tarvelin {

// A mail folder of another owner, in MailboxPath form: absolute, or
// relative to the mail root.
struct HeldFolder {
  std::string path;
  std::string owner;  // named in the reason a folder is kept
};

// The folders of an installation that a removal must never reach.
struct ProtectedFolders {
  std::string install_path;
  std::string config_path;
  std::string mail_root;  // as configured (variable 23): below install_path unless absolute
  // Folders that neither they nor any folder above them may be removed.
  std::vector<HeldFolder> held;
};

struct MailFolderCheck {
  // The real folder to remove, ending with a separator; empty when nothing
  // may be removed.
  std::string folder;
  // Why a named folder is kept; empty when it may go, and when the path
  // or the mail root is blank (no folder is named at all).
  std::string reason;
};

// The folder of a MailboxPath: the path itself when absolute, else below
// the mail root, with its links resolved (a part that does not exist is
// taken as written). Kept when a relative path climbs out of the mail root
// through ".." or through a link, or names the mail root itself; when the
// folder is, or lies above, the mail root, the installation folder, the
// configuration folder or the file-system root, by its real path or by
// the object it reaches; and when it is, or lies above, a held folder (by
// the real path of the held folder's parent: a held folder that is itself
// a link is taken as written).
MailFolderCheck CheckMailPath(Env& env, const ProtectedFolders& folders, std::string_view path);

// The folder CheckMailPath allows, or empty.
std::string MailPathToRemove(Env& env, const ProtectedFolders& folders, std::string_view path);

// Removes that folder with everything below it (links are removed, not
// followed). False when it was kept (`reason`, when given, says why) or not
// removed completely.
bool RemoveMailPath(Env& env, const ProtectedFolders& folders, std::string_view path,
                    std::string* reason = nullptr);

}  // namespace tarvelin
