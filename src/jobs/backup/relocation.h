// Folder settings that a restore brought from another installation: the
// settings record's directory fields and folders to back up, and path.dat's
// directory lines, when they lie in the installation folder the archive
// came from rather than in this one. The source installation is told by
// the record's temporary, mail and log directories, which are that
// folder's "temp", "mail" and "logs" unless someone chose otherwise.
#pragma once

#include <string>
#include <vector>

#include "foundation/status.h"

namespace tarvelin {

class Context;

struct ForeignFolder {
  std::string setting;  // which one, for people: "mail root (settings.cfg)", "path.dat line 6"
  std::string value;    // as stored
  std::string here;     // the value with this installation's folder in place
  int offset = -1;      // in the settings record, or -1
  int path_dat_line = 0;  // of path.dat, or 0
};

// The installation folder (ending with a separator) that the record's
// absolute temporary, mail or log directory lies in as its "temp", "mail"
// or "logs"; empty when none does so.
std::string SourceInstallationOf(const Context& context);

// The settings that lie below the source installation while it is not
// this one; empty otherwise.
std::vector<ForeignFolder> FindForeignFolders(const Context& context);

// Rewrites each of them to its `here` form: settings.cfg is saved and
// path.dat rewritten in place of those lines, then the configuration is
// loaded again. A value too long for its field is left as it is (failure).
Status RelocateFolders(Context& context, const std::vector<ForeignFolder>& folders);

}  // namespace tarvelin
