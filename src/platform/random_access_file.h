// A file opened for reading at any position, by several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvelin {

class RandomAccessFile {
 public:
  RandomAccessFile() = default;
  ~RandomAccessFile();
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  // False when the file cannot be opened or is not a regular file.
  bool Open(std::string_view path);
  bool is_open() const { return fd_ >= 0; }
  // The size when it was opened.
  int64_t size() const { return size_; }
  // Reads up to `length` bytes at `offset`; fewer only at the end of the
  // file. The count read, or -1 on an error.
  int64_t ReadAt(int64_t offset, void* buffer, size_t length) const;

 private:
  int fd_ = -1;
  int64_t size_ = 0;
};

}  // namespace tarvelin
