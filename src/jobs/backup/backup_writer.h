// Writes a backup archive: files are compressed on worker threads and
// their entries written in the order they were added. The archive replaces
// its target only when Finish commits it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "jobs/backup/backup_pipeline.h"
#include "jobs/backup/backup_progress.h"
#include "foundation/status.h"
#include "platform/atomic_file_writer.h"
#include "platform/env.h"

namespace tarvelin {

class ArchiveWriter {
 public:
  // Reads and writes through `env`, which outlives the writer. `threads`
  // as for OrderedPipeline; `progress` may be empty.
  ArchiveWriter(Env& env, int threads, ArchiveProgressFn progress);
  ~ArchiveWriter();

  // Creates the archive (beside its target until Finish) and writes the
  // header. A failure when it cannot be created.
  Status Create(std::string_view path);
  // Queues `source_path` as the entry `name` (at most 255 bytes). A file
  // that cannot be opened or read is left out.
  void AddFile(std::string name, std::string source_path, int64_t size_hint);
  // Records that a file had to be left out although it could be read.
  void MarkIncomplete() { incomplete_ = true; }

  // True once a write to the archive failed; nothing more is written then.
  bool failed() const { return failed_; }
  // True when the walk reaches the archive being written, or the file it
  // is about to replace.
  bool IsArchive(uint64_t device, uint64_t inode) const;

  // Writes what is queued and puts the archive in place (also after a
  // failure: it keeps what was written). True when every write succeeded
  // and no file was left out for want of room in the format.
  bool Finish();

 private:
  struct Packed;
  void Write(Packed&& packed);

  Env& env_;
  AtomicFileWriter out_;
  ArchiveProgressFn progress_;
  ArchiveProgress done_;
  bool failed_ = false;
  bool incomplete_ = false;
  std::unique_ptr<OrderedPipeline<Packed>> pipeline_;
};

}  // namespace tarvelin
