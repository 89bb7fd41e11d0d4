// What the process is, for registering the library it runs: the loaded
// file (the program or a shared library) that holds an address, and
// whether the process has the super-user's rights. Beside SharedLibrary,
// like it a call into the dynamic loader rather than the file system.
#pragma once

#include <string>

#include "foundation/status.h"

namespace tarvelin {

// The full path, links resolved, of the loaded file holding the code or
// data at `address`; NotFound when no loaded file holds it.
Result<std::string> LoadedFileOf(const void* address);
// True when the effective user is root.
bool RunningAsSuperUser();

}  // namespace tarvelin
