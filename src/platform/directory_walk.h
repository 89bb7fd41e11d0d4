// A walk over the regular files below a directory, in name order, for
// callers that pack whole trees (the configuration backup).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

struct WalkedFile {
  std::string relative;  // below the root, "/"-separated
  int64_t size = 0;
  int64_t mtime_ns = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
};

// Calls `visit` for every regular file in `root` and, when `recursive`, in
// its sub-directories; entries of each directory in byte order of their
// names. Links to files are followed; links to directories are not, so a
// link cycle cannot make the walk endless. Unreadable sub-directories are
// passed over. Stops as soon as `visit` returns false; the result is false
// then, and also when `root` itself cannot be read.
bool WalkFiles(Env& env, std::string_view root, bool recursive,
               const std::function<bool(const WalkedFile&)>& visit);

}  // namespace tarvelin
