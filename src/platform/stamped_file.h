// A file opened read-only together with the stamp (file_system.h) of the
// version that was opened. A rename over the path afterwards does not change
// what the handle reads, so everything read through it belongs to that stamp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/file_system.h"

namespace tarvelin {

// Raw handles, for state that lives in caller memory (a walk handle).
// -1 when the path is missing or no regular file.
int OpenStampedHandle(std::string_view path, FileStamp* stamp);
// Up to `length` bytes at `offset`, fewer only at the end of the file; -1 on
// an error.
int64_t ReadHandleAt(int handle, int64_t offset, void* buffer, size_t length);
void CloseHandle(int handle);

class StampedFile {
 public:
  StampedFile() = default;
  ~StampedFile();
  StampedFile(const StampedFile&) = delete;
  StampedFile& operator=(const StampedFile&) = delete;

  bool Open(std::string_view path);
  bool is_open() const { return handle_ >= 0; }
  const FileStamp& stamp() const { return stamp_; }
  int64_t ReadAt(int64_t offset, void* buffer, size_t length) const {
    return ReadHandleAt(handle_, offset, buffer, length);
  }

 private:
  int handle_ = -1;
  FileStamp stamp_;
};

}  // namespace tarvelin
