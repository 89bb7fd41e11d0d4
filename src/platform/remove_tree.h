// Recursive removal of a directory with everything below it.
#pragma once

#include <string_view>

namespace tarvelin {

// Removes `path` and everything below it. Links are removed themselves,
// never followed, so a link inside the tree cannot lead the removal into
// another folder. A path that names a file or a link removes just that.
// True when nothing remains at `path` (also when it was missing); false
// when anything could not be removed (the rest is removed all the same).
bool RemoveTree(std::string_view path);

}  // namespace tarvelin
