#include "platform/stamped_file.h"

#include <utility>


namespace tarvelin {

Status StampedFile::OpenFile(Env& env, std::string_view path) {
  file_.reset();
  Result<std::unique_ptr<ReadableFile>> file = env.NewReadableFile(path);
  if (!file.ok()) return file.status();
  file_ = std::move(*file);
  return Status::Ok();
}

int64_t StampedFile::ReadAt(int64_t offset, void* buffer, size_t length) const {
  if (file_ == nullptr) return -1;
  const Result<size_t> got = file_->ReadAt(offset, buffer, length);
  return got.ok() ? static_cast<int64_t>(*got) : -1;
}

}  // namespace tarvelin
