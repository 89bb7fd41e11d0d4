// A file written in pieces that replaces its target only when complete: the
// data go to a temporary file beside the target, which Commit renames over
// it. Until then readers see the old file, and a crash leaves the old file
// (plus, at worst, a stray temporary file), never a torn one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  // Discards what was not committed.
  ~AtomicFileWriter();
  AtomicFileWriter(AtomicFileWriter&& other) noexcept;
  AtomicFileWriter& operator=(AtomicFileWriter&& other) noexcept;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file for `path`; its directory must exist.
  bool Open(std::string_view path);
  bool is_open() const { return fd_ >= 0; }
  // Appends everything; false on a write error (the writer is then failed
  // and commits nothing).
  bool Append(const void* data, size_t length);
  // Ends writing. With `durable` the data reach the disk first; otherwise
  // the caller makes them durable itself (SyncFileSystemOf) before Commit.
  bool Close(bool durable);
  // Closes (durably) if still open, then renames over the target.
  bool Commit();
  // The same, but only onto a free name: when a file of the target's name
  // exists, it stays as it is and the temporary file is removed (false).
  bool CommitAsNew();
  // Removes the temporary file; the target is left as it was.
  void Discard();

  // True for the temporary file (the target-to-be) and for the file at the
  // target path when Open ran (the one it will replace).
  bool IsOwnFile(uint64_t device, uint64_t inode) const;
  // The file system of the temporary file (0 before Open).
  uint64_t device() const { return temp_identity_.device; }
  const std::string& target() const { return target_; }

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  bool failed_ = false;
  bool closed_ = false;
  struct Identity {
    bool known = false;
    uint64_t device = 0;
    uint64_t inode = 0;
  };
  Identity temp_identity_;
  Identity replaced_identity_;
};

// Makes every write to the file system holding `path` durable (one flush
// for many files written without `durable`). False on an error.
bool SyncFileSystemOf(std::string_view path);

}  // namespace tarvelin
