// RestoreConfig: unpacks a backup archive over the installation, reloads
// the configuration and tells the services to reload.
#pragma once

#include <cstdint>

#include "jobs/backup/backup_progress.h"

namespace tarvelin {

class Context;

// Unpacks into ConfigPath (created when missing); entries named "..\x"
// land in the sibling folders. Then reloads (settings.cfg need not exist,
// the domain list included); when the restored settings.cfg came from
// another platform kind, clears the temporary, mail and log directories
// and saves, so this installation's defaults apply; then notifies SMTP,
// POP3, instant messaging and groupware. 0 when the archive was read to
// its end and every entry was written; -1 otherwise (the reload and the
// notifications still happen); -5 when not initialised.
int32_t RestoreConfig(Context& context, const char* path, const ArchiveProgressFn& progress = {});

}  // namespace tarvelin
