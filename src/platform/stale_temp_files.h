// The temporary files the library writes beside their targets, by name,
// and the removal of those left behind by a process that has ended (a
// crash, a kill) and will never put them in place.
//
// Env::NewTempFile names each file prefix, process id, ".", a hex nonce,
// ".", a number; the library's prefixes are a folder and ".~tarvelin."
// (AtomicFileWriter) or a file's path and ".tmp." (WriteFileAtomic). So a
// name tells which process made it, and a file whose process is gone can
// go. A process id taken again by another process keeps its files: only
// files whose maker is surely gone are removed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

inline constexpr std::string_view kAtomicTempPrefix = ".~tarvelin.";
inline constexpr std::string_view kReplaceTempInfix = ".tmp.";

// The id of the process that made the temporary file `name` (a bare file
// name); -1 when it is no such name.
int64_t TempFileProcess(std::string_view name);

// Removes in `folder` the temporary files whose process is no longer
// running; when `depth` is above 0 also in its sub-folders, that many
// levels down (links to folders are not followed). Gives the number
// removed; folders that cannot be read are passed over.
int RemoveStaleTempFiles(Env& env, std::string_view folder, int depth = 0);

// Finds what RemoveStaleTempFiles would remove, and removes nothing:
// `visit` gets each file's path (`folder` joined with the names below it)
// and the id of the process that made it.
void FindStaleTempFiles(Env& env, std::string_view folder, int depth,
                        const std::function<void(const std::string& path, int64_t process)>& visit);

}  // namespace tarvelin
