// Which file-system object a path names, so that walks over directories can
// notice when a link leads them back into a directory they are inside.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvelin {

struct PathIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const PathIdentity&) const = default;
};

// The identity of the object at `path`, links followed. False when the
// path cannot be examined.
bool GetPathIdentity(std::string_view path, PathIdentity* out);

}  // namespace tarvelin
