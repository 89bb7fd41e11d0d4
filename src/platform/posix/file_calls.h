// The file-system calls PosixEnv is made of, as plain functions that leave
// errno for the caller to turn into a Status. Private to the platform: the
// rest of the library reaches them through an Env. Paths may use either
// separator; they are mapped with ToOsPath before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace tarvelin {

// Links followed; a missing path gives a stamp with `exists` false.
FileStamp GetFileStamp(std::string_view path);

enum class ReadResult { kOk, kNotFound, kError };
// Whole file. kError for a file that exists but cannot be read to its end.
ReadResult ReadFile(std::string_view path, std::string* out);
// At most `max_bytes` from the start.
ReadResult ReadFilePrefix(std::string_view path, size_t max_bytes, std::string* out);
// Reads `length` bytes at `offset`; fewer at the end of the file.
ReadResult ReadFileRange(std::string_view path, int64_t offset, size_t length, std::string* out);

bool RemoveFile(std::string_view path);
// Renames; fails (false, EEXIST) when the target exists and `replace` is
// false.
bool RenamePath(std::string_view from, std::string_view to, bool replace);
// Entries of one directory, without "." and "..", in no particular order.
// False when the directory cannot be read.
bool ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out);
// Makes every write to the file system holding `path` durable.
bool SyncFileSystemOf(std::string_view path);

// For a descriptor open for reading: up to `length` bytes at `offset`,
// fewer only at the end of the file; -1 on an error.
int64_t ReadHandleAt(int handle, int64_t offset, void* buffer, size_t length);
void CloseHandle(int handle);

}  // namespace tarvelin
