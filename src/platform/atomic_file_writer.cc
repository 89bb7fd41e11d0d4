#include "platform/atomic_file_writer.h"

#include <utility>

#include "platform/os_path.h"

namespace tarvelin {

AtomicFileWriter::AtomicFileWriter(Env& env) : env_(&env) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

AtomicFileWriter::AtomicFileWriter(AtomicFileWriter&& other) noexcept : env_(other.env_) {
  *this = std::move(other);
}

AtomicFileWriter& AtomicFileWriter::operator=(AtomicFileWriter&& other) noexcept {
  if (this != &other) {
    Discard();
    env_ = other.env_;
    target_ = std::move(other.target_);
    temp_ = std::move(other.temp_);
    file_ = std::move(other.file_);
    failure_ = other.failure_;
    closed_ = other.closed_;
    temp_identity_ = other.temp_identity_;
    replaced_identity_ = other.replaced_identity_;
    other.temp_.clear();
  }
  return *this;
}

Status AtomicFileWriter::OpenFile(std::string_view path) {
  Discard();
  target_ = ToOsPath(path);
  // A short name of its own, so a target name near the length limit still
  // gets a temporary file.
  const size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  Result<TempFile> temp = env_->NewTempFile(folder + ".~tarvelin.");
  failure_ = temp.status();
  closed_ = false;
  if (!failure_.ok()) return failure_;
  temp_ = std::move(temp->path);
  file_ = std::move(temp->file);
  temp_identity_ = {};
  if (Result<PathInfo> info = file_->GetInfo(); info.ok()) {
    temp_identity_ = {true, info->device, info->inode};
  }
  replaced_identity_ = {};
  if (Result<PathInfo> info = env_->GetPathInfo(target_, Links::kFollow); info.ok()) {
    replaced_identity_ = {true, info->device, info->inode};
  }
  return Status::Ok();
}

bool AtomicFileWriter::IsOwnFile(uint64_t device, uint64_t inode) const {
  for (const Identity& own : {temp_identity_, replaced_identity_}) {
    if (own.known && own.device == device && own.inode == inode) return true;
  }
  return false;
}

bool AtomicFileWriter::Append(const void* data, size_t length) {
  if (file_ == nullptr || !failure_.ok()) return false;
  failure_ = file_->Append(std::string_view(static_cast<const char*>(data), length));
  return failure_.ok();
}

bool AtomicFileWriter::Close(bool durable) {
  if (file_ == nullptr) return closed_ && failure_.ok();
  if (durable && failure_.ok()) failure_ = file_->Sync();
  const Status closed = file_->Close();
  if (failure_.ok()) failure_ = closed;
  file_.reset();
  closed_ = true;
  return failure_.ok();
}

bool AtomicFileWriter::Rename(bool replace) {
  if (temp_.empty()) return false;
  if (file_ != nullptr) Close(/*durable=*/true);
  if (failure_.ok()) failure_ = env_->RenameFile(temp_, target_, replace);
  if (!failure_.ok()) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

bool AtomicFileWriter::Commit() { return Rename(/*replace=*/true); }
bool AtomicFileWriter::CommitAsNew() { return Rename(/*replace=*/false); }

void AtomicFileWriter::Discard() {
  file_.reset();
  if (!temp_.empty()) env_->RemoveFile(temp_);
  temp_.clear();
}

}  // namespace tarvelin
