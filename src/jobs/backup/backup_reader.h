// Unpacks a backup archive into a directory. Entries are inflated on
// worker threads, each into a temporary file beside its target, and put in
// place in archive order, so a later entry of the same name wins and no
// target is ever seen half written.
#pragma once

#include <cstdint>
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
};

struct UnpackResult {
  bool opened = false;       // the archive could be opened and its header read
  bool complete = false;     // read to its end or its end marker
  bool all_written = false;  // and every entry was put in place
  int64_t files_written = 0;
  // Why the first entry that was not put in place failed, naming its
  // target; ok when none failed.
  Status failure;
};

// Unpacks into `target` (an existing directory, ending with a separator).
// An entry whose name leads outside the target's parent (see
// EntryNameToPath), whose data do not inflate, or whose file cannot be
// created is skipped; a cut-off entry ends the unpacking. What was written
// stays.
UnpackResult UnpackArchive(Env& env, std::string_view archive_path, std::string_view target,
                           const UnpackOptions& options);

}  // namespace tarvelin
