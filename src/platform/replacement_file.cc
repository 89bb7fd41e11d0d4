#include "platform/replacement_file.h"

#include <utility>

#include "platform/os_path.h"

namespace tarvelin {

ReplacementFile::ReplacementFile(Env& env) : env_(&env) {}

ReplacementFile::~ReplacementFile() { Discard(); }

Status ReplacementFile::OpenFile(std::string_view temp_path, std::string_view target_path) {
  Discard();
  Result<std::unique_ptr<WritableFile>> file =
      env_->NewWritableFile(temp_path, WriteMode::kTruncate);
  if (!file.ok()) {
    failure_ = file.status();
    return failure_;
  }
  temp_ = ToOsPath(temp_path);
  target_ = ToOsPath(target_path);
  file_ = std::move(*file);
  failure_ = Status::Ok();
  return failure_;
}

Status ReplacementFile::Append(const void* data, size_t length) {
  if (file_ == nullptr) return Status::InvalidArgument("write to a file that is not open");
  if (!failure_.ok()) return failure_;
  failure_ = file_->Append(std::string_view(static_cast<const char*>(data), length));
  return failure_;
}

Status ReplacementFile::CommitFile() {
  if (file_ == nullptr) return Status::InvalidArgument("commit of a file that is not open");
  Status status = failure_;
  if (status.ok()) status = file_->Sync();
  const Status closed = file_->Close();
  file_.reset();
  if (status.ok()) status = closed;
  if (status.ok()) status = env_->RenameFile(temp_, target_, /*replace=*/true);
  if (!status.ok()) {
    Discard();
    return status;
  }
  temp_.clear();
  // The rename itself reaches the disk only with its directory.
  const size_t slash = target_.rfind('/');
  env_->SyncDirectory(slash == std::string::npos ? "." : target_.substr(0, slash + 1));
  return Status::Ok();
}

void ReplacementFile::Discard() {
  file_.reset();
  if (!temp_.empty()) env_->RemoveFile(temp_);
  temp_.clear();
}

}  // namespace tarvelin
