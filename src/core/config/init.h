// Opening an installation (Init), finishing with it (Done), and the
// initialisation the automation objects run when they are created.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

// With a path: derive InstallPath and ConfigPath, read path.dat and load the
// configuration; 0, or kResultNotLoadable when settings.cfg cannot be read.
// While initialised and settings.cfg is unchanged since the last load,
// returns 0 at once without looking at `path`. A null path takes the
// install directory from TARVELIN_INSTALL_DIR and leaves the library
// initialised whatever the load gave.
int32_t Init(Context& context, const char* path);
// Saves the configuration when it was changed since the last save.
void Done(Context& context);
// Init with the running program's directory, else with a null path; true
// when either gave 0.
bool AutoInit(Context& context);

}  // namespace tarvelin
