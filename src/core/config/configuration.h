// Loading and saving an installation's configuration as a whole: the
// settings record (config/config_store.h), then the domain list and the
// caches, which follow what the record says.
#pragma once

namespace tarvelin {

class Context;

// Loads settings.cfg and everything that depends on it: the defaults, the
// reloaders, the domain list, and the domain and account caches set up
// afresh. False only when settings.cfg cannot be read and `must_exist`.
bool LoadConfiguration(Context& context, bool must_exist);

// Writes settings.cfg, then the domain list, each replaced as a whole so
// that a crash leaves the old or the new file. True when either was
// written.
bool SaveConfiguration(const Context& context);

}  // namespace tarvelin
