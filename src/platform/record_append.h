// Appending one fixed-size record to a file of such records in place,
// instead of rewriting the whole file for it.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/file_system.h"

namespace tarvelin {

// Writes `record_size` bytes at the first record boundary at or below the
// end of the existing regular file `path`: a torn record an earlier crash
// left at the end is cut first. Readers count whole records only, so until
// the write is complete they see the file as it was; a crash in between
// leaves a torn record that they ignore. The data is on disk when true is
// returned. `before` and `after` get the stamps of the file before and
// after the write, `index` the record's position. False, with the file as
// it was (but for a cut torn record), when the file is missing or no
// regular file, or a call fails. The caller keeps other writers out.
bool AppendRecord(std::string_view path, const void* record, size_t record_size, FileStamp* before,
                  FileStamp* after, int64_t* index);

}  // namespace tarvelin
