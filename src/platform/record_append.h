// Appending one fixed-size record to a file of such records in place,
// instead of rewriting the whole file for it.
#pragma once

#include <cstddef>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

// Writes `record_size` bytes at the first record boundary at or below the
// end of the existing regular file `path`: a torn record an earlier crash
// left at the end is cut first. Readers count whole records only, so until
// the write is complete they see the file as it was; a crash in between
// leaves a torn record that they ignore. The data is on disk when it
// succeeds. `before` and `after` get the stamps of the file before and
// after the write, `index` the record's position. A failure, with the file
// as it was (but for a cut torn record), when the file is missing or no
// regular file, or a call fails: a record written in part or not synced is
// taken back. A crash can leave it, torn or whole but unreported; readers
// ignore a torn one and the next append cuts it. The caller keeps other
// writers out.
Status AppendRecord(Env& env, std::string_view path, const void* record, size_t record_size,
                    FileStamp* before, FileStamp* after, int64_t* index);

}  // namespace tarvelin
