// Unpacks a backup archive into a directory. Every entry head is read
// first, so an archive that is cut off or damaged in its structure writes
// nothing. Entries are then inflated on worker threads, each into a
// temporary file beside its target, and put in place in archive order, so
// a later entry of the same name wins and no target is ever seen half
// written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "jobs/backup/backup_progress.h"
#include "platform/env.h"

namespace tarvelin {

struct UnpackOptions {
  int threads = 0;  // workers; 0 runs every entry on the calling thread
  // Flush to disk before files are put in place (in batches), so a power
  // failure cannot leave a renamed but empty file.
  bool durable = true;
  ArchiveProgressFn progress;
  // A file (full path) that no entry may replace, such as the lock file.
  std::string left_alone;
};

struct UnpackResult {
  bool opened = false;       // the archive could be opened and its header read
  bool complete = false;     // whole up to its end or its end marker
  bool all_written = false;  // and every entry was put in place
  int64_t files_written = 0;
  // Why the first entry that was not put in place failed, naming its
  // target; ok when none failed.
  Status failure;
};

// Unpacks into `target` (an existing directory, ending with a separator).
// An archive with a cut-off head, or data reaching past its end, writes
// nothing. An entry whose name leads outside the target's parent (see
// EntryNameToPath), whose data do not inflate, or whose file cannot be
// created is skipped, and what was written stays. Entries of temporary
// files (jobs/backup/work_files.h) and of `left_alone` are passed over.
// Before writing, temporary files whose process has ended are removed from
// the folders the entries go to.
UnpackResult UnpackArchive(Env& env, std::string_view archive_path, std::string_view target,
                           const UnpackOptions& options);

}  // namespace tarvelin
