// A file opened read-only together with the stamp (env.h) of the
// version that was opened. A rename over the path afterwards does not change
// what the handle reads, so everything read through it belongs to that stamp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class StampedFile {
 public:
  StampedFile() = default;
  StampedFile(const StampedFile&) = delete;
  StampedFile& operator=(const StampedFile&) = delete;

  // Opens through `env`; the file does not outlive it.
  Status OpenFile(Env& env, std::string_view path);
  bool is_open() const { return file_ != nullptr; }
  // A file that is not open has a stamp of a missing file.
  const FileStamp& stamp() const { return file_ != nullptr ? file_->stamp() : kNoStamp; }
  // Up to `length` bytes at `offset`, fewer only at the end of the file;
  // -1 on an error.
  int64_t ReadAt(int64_t offset, void* buffer, size_t length) const;

 private:
  static constexpr FileStamp kNoStamp{};
  std::unique_ptr<ReadableFile> file_;
};

}  // namespace tarvelin
