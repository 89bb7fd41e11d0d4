// Every file-system call of the library passes through here. Paths may use
// either separator; they are mapped with ToOsPath before use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"

namespace tarvelin {

class Env;

// Identity of one version of a file. Equal stamps mean "not rewritten": the
// modification time in nanoseconds, size and inode all change on a rewrite
// by rename, even twice within one second.
struct FileStamp {
  bool exists = false;
  int64_t mtime_ns = 0;
  int64_t size = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp GetFileStamp(std::string_view path);
bool FileExists(std::string_view path);  // a regular file
bool DirectoryExists(std::string_view path);
// Size in bytes, or -1 when the file cannot be examined.
int64_t FileSize(std::string_view path);

enum class ReadResult { kOk, kNotFound, kError };
// Whole file. kError for a file that exists but cannot be read to its end.
ReadResult ReadFile(std::string_view path, std::string* out);
// At most `max_bytes` from the start.
ReadResult ReadFilePrefix(std::string_view path, size_t max_bytes, std::string* out);
// Reads `length` bytes at `offset`; fewer at the end of the file.
ReadResult ReadFileRange(std::string_view path, int64_t offset, size_t length, std::string* out);

// Replaces the file as a whole: the data go to a temporary file in the same
// directory, are flushed, the temporary file is renamed over the target and
// the directory is synced, so readers and a crash see either the old or the
// new file. Missing parent directories are not created. A failure before
// the rename removes the temporary file and leaves the target as it was; a
// crash may leave the temporary file too. A failed sync of the directory
// after the rename is not reported: the file has been replaced.
Status WriteFileAtomic(Env& env, std::string_view path, std::string_view data);
// The same through a PosixEnv; false when nothing was replaced.
bool WriteFileAtomic(std::string_view path, std::string_view data);

// Appends to the end of the file, creating it (not its parents) when it is
// missing. The data go out in one write to a file opened for appending, so
// appends of other threads and processes land before or after them, never
// inside. False when the file cannot be opened or not everything was written.
bool AppendToFile(std::string_view path, std::string_view data);

// Creates the directory with all missing parents; true when it exists after.
bool CreateDirectories(std::string_view path);
bool RemoveFile(std::string_view path);
// Renames; fails (false) when the target exists and `replace` is false.
bool RenamePath(std::string_view from, std::string_view to, bool replace);

struct DirectoryEntry {
  std::string name;
  bool is_directory = false;
  int64_t size = 0;
  int64_t mtime_ns = 0;
};
// Entries of one directory, without "." and "..", in no particular order.
// False when the directory cannot be read.
bool ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out);

}  // namespace tarvelin
