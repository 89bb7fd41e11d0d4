// Short forms of common file tasks, made of the calls of an Env.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

// A regular file, a directory at `path` (links followed); false also when
// the path cannot be examined.
bool FileExists(Env& env, std::string_view path);
bool DirectoryExists(Env& env, std::string_view path);
// The size of the regular file in bytes, or -1 when it cannot be examined.
int64_t FileSize(Env& env, std::string_view path);

// Replaces the file as a whole: the data go to a temporary file in the same
// directory, are flushed, the temporary file is renamed over the target and
// the directory is synced, so readers and a crash see either the old or the
// new file. Missing parent directories are not created. A failure before
// the rename removes the temporary file and leaves the target as it was; a
// crash may leave the temporary file too. A failed sync of the directory
// after the rename is not reported: the file has been replaced.
Status WriteFileAtomic(Env& env, std::string_view path, std::string_view data);
// The same, creating the missing parent directories when the first attempt
// failed for want of them.
Status WriteFileAtomicCreatingFolder(Env& env, std::string_view path, std::string_view data);

// Appends to the end of the file, creating it (not its parents) when it is
// missing. The data go out in one write to a file opened for appending, so
// appends of other threads and processes land before or after them, never
// inside.
Status AppendToFile(Env& env, std::string_view path, std::string_view data);

}  // namespace tarvelin
