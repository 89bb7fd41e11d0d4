// Recursive removal of a directory with everything below it.
#pragma once

#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

// Removes `path` and everything below it. Links are removed themselves,
// never followed, so a link inside the tree cannot lead the removal into
// another folder. A path that names a file or a link removes just that.
// Ok when nothing remains at `path` (also when it was missing); otherwise
// the first failure, with the rest removed all the same.
Status RemoveTree(Env& env, std::string_view path);

}  // namespace tarvelin
