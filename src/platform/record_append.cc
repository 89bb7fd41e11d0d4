#include "platform/record_append.h"

#include <string>

namespace tarvelin {

Status AppendRecord(Env& env, std::string_view path, const void* record, size_t record_size,
                    FileStamp* before, FileStamp* after, int64_t* index) {
  if (record_size == 0) return Status::InvalidArgument("append of an empty record to " + std::string(path));
  Result<std::unique_ptr<WritableFile>> opened = env.NewWritableFile(path, WriteMode::kUpdate);
  if (!opened.ok()) return opened.status();
  WritableFile& file = **opened;
  Result<PathInfo> info = file.GetInfo();
  if (!info.ok()) return info.status();
  *before = info->stamp();
  const int64_t size = info->size;
  const int64_t aligned = size - size % static_cast<int64_t>(record_size);
  if (aligned != size) TARVELIN_RETURN_IF_ERROR(file.Truncate(aligned));
  Status written =
      file.WriteAt(aligned, std::string_view(static_cast<const char*>(record), record_size));
  if (written.ok()) written = file.Sync();
  if (!written.ok()) {
    // A record that may not be on disk is taken back, so that no reader
    // finds an account the caller was told was not written.
    file.Truncate(aligned);
    return written;
  }
  info = file.GetInfo();
  if (!info.ok()) return info.status();
  *after = info->stamp();
  *index = aligned / static_cast<int64_t>(record_size);
  return Status::Ok();
}

}  // namespace tarvelin
