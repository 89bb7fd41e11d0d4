// RestoreConfig: unpacks a backup archive over the installation, reloads
// the configuration and tells the services to reload.
#pragma once

#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "jobs/backup/backup_progress.h"
#include "jobs/backup/relocation.h"

namespace tarvelin {

class Context;

// Holds kSettingsLock throughout, so that no save of another program lands
// between the unpack and the reload; fails, changing nothing, when the lock
// cannot be taken.
//
// Unpacks into ConfigPath (created when missing); entries named "..\x"
// land in the sibling folders. Then reloads (settings.cfg need not exist,
// the domain list included); when the restored settings.cfg came from
// another platform kind, clears the temporary, mail and log directories
// and saves, so this installation's defaults apply; then notifies SMTP,
// POP3, instant messaging and groupware. Ok when the archive was read to
// its end and every entry was written; NotFound when there is no archive
// at `path`, IOError otherwise (the reload and the notifications still
// happen either way). An archive cut off or damaged in its
// structure writes nothing.
//
// After the reload, folder settings that name the installation the archive
// came from (jobs/backup/relocation.h) are logged and given in `foreign`
// when asked for; with `relocate` they are rewritten to this installation
// (a failure to do so fails the restore).
Status RestoreConfiguration(Context& context, std::string_view path,
                            const ArchiveProgressFn& progress = {}, bool relocate = false,
                            std::vector<ForeignFolder>* foreign = nullptr);

}  // namespace tarvelin
