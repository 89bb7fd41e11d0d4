// Loading and saving an installation's configuration as a whole: the
// settings record (config/config_store.h), then the domain list and the
// caches, which follow what the record says. Several programs saving at
// once go through config_merge.h.
#pragma once

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class Context;

inline constexpr char kSettingsFileName[] = "settings.cfg";
inline constexpr char kDomainsFileName[] = "domains.cfg";

// The stamp of a file of the configuration folder; a missing file's, or
// one that cannot be taken, has `exists` false.
FileStamp ConfigFileStamp(const Context& context, const char* file);

// Loads settings.cfg and everything that depends on it: the defaults, the
// reloaders, the domain list, and the domain and account caches set up
// afresh. What was loaded becomes the baseline of the next merge
// (config_merge.h): changes made before the load are not saved by a later
// merge. False only when settings.cfg cannot be read and `must_exist`.
bool LoadConfiguration(Context& context, bool must_exist);

// Writes settings.cfg, then the domain list, each replaced as a whole so
// that a crash leaves the old or the new file, without looking at what is
// on disk. Each file written becomes the baseline, and a list written
// takes the list changes with it. The first failure; both are tried.
Status WriteConfiguration(Context& context);
// WriteConfiguration; true when either file was written.
bool SaveConfiguration(Context& context);

}  // namespace tarvelin
