// BackupConfig: packs the configuration directory and the data folders
// the settings name into one archive (see backup_archive.h and
// backup_sources.h for what goes in).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "jobs/backup/backup_progress.h"
#include "foundation/date_time.h"
#include "foundation/status.h"

namespace tarvelin {

class Context;

// Replaces every part of `path` between double quotes by `now` formatted
// with that part as the picture ("yyyymmdd" gives the eight digits of the
// date); the quotes go. An unpaired quote stays as it is.
std::string ExpandDateStamps(std::string_view path, const CivilDateTime& now);

// Writes the archive at `path` (date stamps expanded). Ok when it holds
// everything it should; InvalidArgument for an empty path; IOError when it
// could not be created or a write failed (it keeps what was written) or a
// file could not be stored. Work files (jobs/backup/work_files.h) are never
// packed; temporary files whose process has ended are removed on the way.
// `written`, when given, receives the path with its date stamps expanded.
Status BackupConfiguration(Context& context, std::string_view path,
                           const ArchiveProgressFn& progress = {}, std::string* written = nullptr);

}  // namespace tarvelin
