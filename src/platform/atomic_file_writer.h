// A file written in pieces that replaces its target only when complete: the
// data go to a temporary file beside the target, which Commit renames over
// it. Until then readers see the old file, and a crash leaves the old file
// (plus, at worst, a stray temporary file), never a torn one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class AtomicFileWriter {
 public:
  // Works through `env`, which outlives the writer.
  explicit AtomicFileWriter(Env& env);
  // Discards what was not committed.
  ~AtomicFileWriter();
  AtomicFileWriter(AtomicFileWriter&& other) noexcept;
  AtomicFileWriter& operator=(AtomicFileWriter&& other) noexcept;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file for `path`; its directory must exist.
  Status OpenFile(std::string_view path);
  bool Open(std::string_view path) { return OpenFile(path).ok(); }
  bool is_open() const { return file_ != nullptr; }
  // Appends everything; false on a write error (the writer is then failed
  // and commits nothing).
  bool Append(const void* data, size_t length);
  // Ends writing. With `durable` the data reach the disk first; otherwise
  // the caller makes them durable itself (Env::SyncFileSystem) before
  // Commit.
  bool Close(bool durable);
  // Closes (durably) if still open, then renames over the target. On any
  // failure the temporary file is removed and the target left as it was.
  bool Commit();
  // The same, but only onto a free name: when a file of the target's name
  // exists, it stays as it is and the temporary file is removed (false).
  bool CommitAsNew();
  // Removes the temporary file; the target is left as it was.
  void Discard();

  // The first failure of this writer (naming the file, with errno); ok
  // while there was none.
  const Status& failure() const { return failure_; }

  // True for the temporary file (the target-to-be) and for the file at the
  // target path when Open ran (the one it will replace).
  bool IsOwnFile(uint64_t device, uint64_t inode) const;
  // The file system of the temporary file (0 before Open).
  uint64_t device() const { return temp_identity_.device; }
  const std::string& target() const { return target_; }

 private:
  bool Rename(bool replace);

  Env* env_;
  std::string target_;
  std::string temp_;
  std::unique_ptr<WritableFile> file_;
  Status failure_;
  bool closed_ = false;
  struct Identity {
    bool known = false;
    uint64_t device = 0;
    uint64_t inode = 0;
  };
  Identity temp_identity_;
  Identity replaced_identity_;
};

}  // namespace tarvelin
