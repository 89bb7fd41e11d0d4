// A file rebuilt under a fixed temporary name beside its target and renamed
// over the target when complete, so that readers and a crash see the old
// file or the new one, never a torn one. A crash can leave the temporary
// file behind; the next Open truncates it. Writers that share a temporary
// name must exclude each other (CrossProcessLocks).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class ReplacementFile {
 public:
  // Works through `env`, which outlives the file.
  explicit ReplacementFile(Env& env);
  // Discards what was not committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates or truncates `temp_path`; its directory must exist.
  Status OpenFile(std::string_view temp_path, std::string_view target_path);
  // After a write error the file commits nothing.
  Status Append(const void* data, size_t length);
  // Makes the data durable, renames over the target and makes the rename
  // durable. On any error before the rename: the target untouched, the
  // temporary file removed, and the first error returned. A failed sync of
  // the directory after the rename is not reported: the target is replaced.
  Status CommitFile();
  void Discard();

 private:
  Env* env_;
  std::string temp_;
  std::string target_;
  std::unique_ptr<WritableFile> file_;
  Status failure_;  // the first write error
};

}  // namespace tarvelin
