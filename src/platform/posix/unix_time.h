// The wall clock as the file system stamps files: nanoseconds since
// 1970-01-01 UTC, comparable with DirectoryEntry::mtime_ns.
#pragma once

#include <cstdint>

namespace tarvelin {

int64_t UnixTimeNs();

}  // namespace tarvelin
