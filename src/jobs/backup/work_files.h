// Files of the library's work in progress rather than data: the temporary
// files written beside their targets and the installation's lock file. A
// backup never packs them and a restore never writes them.
#pragma once

#include <string_view>

namespace tarvelin {

// A bare file name of a temporary file: one Env::NewTempFile made (it
// names its process), or the fixed users.cfg.tmp and remote.cfg.tmp of
// the account and remote-account stores.
bool IsTemporaryFileName(std::string_view name);

// `relative` is a "/"-separated path below the configuration folder: a
// temporary file anywhere, or the lock file at the top.
bool IsWorkFileOfConfig(std::string_view relative);

}  // namespace tarvelin
