// Opening an installation (Init), finishing with it (Done), and the
// initialisation the automation objects run when they are created.
#pragma once

#include "foundation/status.h"

namespace tarvelin {

class Context;

// With a path: derive InstallPath and ConfigPath, read path.dat and load the
// configuration; NotLoadable when settings.cfg cannot be read. While
// initialised and settings.cfg is unchanged since the last load, ok at once
// without looking at `path`. A null path takes the install directory from
// TARVELIN_INSTALL_DIR and leaves the Context initialised whatever the
// load gave.
Status Init(Context& context, const char* path);
// Loads the installation as Init does, for a look that changes nothing:
// no temporary file is removed, and a settings.cfg that cannot be read
// leaves the built-in record (the caller looks at the file itself). A
// null path takes TARVELIN_INSTALL_DIR. The Context is initialised after.
void LoadToInspect(Context& context, const char* path);
// Saves the configuration when it was changed since the last save, and
// releases the database library.
void Done(Context& context);
// Init with the running program's directory, else with a null path; true
// when either gave 0.
bool AutoInit(Context& context);

}  // namespace tarvelin
