// A file rebuilt under a fixed temporary name beside its target and renamed
// over the target when complete, so that readers and a crash see the old
// file or the new one, never a torn one. A crash can leave the temporary
// file behind; the next Open truncates it. Writers that share a temporary
// name must exclude each other (DirectoryLock).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelin {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  // Discards what was not committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates or truncates `temp_path`; its directory must exist.
  bool Open(std::string_view temp_path, std::string_view target_path);
  // False on a write error; the file then commits nothing.
  bool Append(const void* data, size_t length);
  // Makes the data durable, renames over the target and makes the rename
  // durable. False (target untouched, temporary file removed) on any error.
  bool Commit();
  void Discard();

 private:
  std::string temp_;
  std::string target_;
  int fd_ = -1;
  bool failed_ = false;
};

}  // namespace tarvelin
