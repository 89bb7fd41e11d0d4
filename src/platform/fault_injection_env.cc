#include "platform/fault_injection_env.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

class FaultWritableFile final : public WritableFile {
 public:
  FaultWritableFile(FaultInjectionEnv& env, std::string path, std::unique_ptr<WritableFile> base,
                    int64_t durable_size)
      : env_(env), path_(std::move(path)), base_(std::move(base)), durable_size_(durable_size) {}

  Status Append(std::string_view data) override {
    size_t allowed = 0;
    const Status fault = Check(data.size(), &allowed);
    if (fault.ok()) return base_->Append(data);
    if (allowed > 0) base_->Append(data.substr(0, allowed));
    return fault;
  }

  Status WriteAt(int64_t offset, std::string_view data) override {
    size_t allowed = 0;
    const Status fault = Check(data.size(), &allowed);
    if (fault.ok()) return base_->WriteAt(offset, data);
    if (allowed > 0) base_->WriteAt(offset, data.substr(0, allowed));
    return fault;
  }

  Status Truncate(int64_t size) override {
    TARVELIN_RETURN_IF_ERROR(env_.BeginMutation("truncate", path_));
    env_.NoteUnsynced(path_, durable_size_);
    return base_->Truncate(size);
  }

  Status Sync() override {
    TARVELIN_RETURN_IF_ERROR(env_.BeginMutation("sync", path_));
    TARVELIN_RETURN_IF_ERROR(base_->Sync());
    if (Result<PathInfo> info = base_->GetInfo(); info.ok()) durable_size_ = info->size;
    env_.NoteSynced(path_);
    return Status::Ok();
  }

  Status Close() override { return base_->Close(); }
  Result<PathInfo> GetInfo() const override { return base_->GetInfo(); }

 private:
  Status Check(size_t length, size_t* allowed) {
    *allowed = 0;
    TARVELIN_RETURN_IF_ERROR(env_.BeginMutation("write", path_));
    env_.NoteUnsynced(path_, durable_size_);
    return env_.CheckWrite(path_, length, allowed);
  }

  FaultInjectionEnv& env_;
  const std::string path_;
  const std::unique_ptr<WritableFile> base_;
  int64_t durable_size_;
};

class FaultDirectory final : public Directory {
 public:
  FaultDirectory(FaultInjectionEnv& env, std::string path, std::unique_ptr<Directory> base)
      : env_(env), path_(std::move(path)), base_(std::move(base)) {}

  Status ListNames(std::vector<std::string>* names) override { return base_->ListNames(names); }
  Result<PathInfo> GetInfoOf(std::string_view name, Links links) override {
    return base_->GetInfoOf(name, links);
  }
  Result<std::unique_ptr<Directory>> OpenChild(std::string_view name) override {
    Result<std::unique_ptr<Directory>> child = base_->OpenChild(name);
    if (!child.ok()) return child;
    return std::unique_ptr<Directory>(
        new FaultDirectory(env_, path_ + std::string(name) + "/", std::move(*child)));
  }
  Status RemoveEntry(std::string_view name, bool is_directory) override {
    TARVELIN_RETURN_IF_ERROR(env_.BeginMutation("remove", path_ + std::string(name)));
    return base_->RemoveEntry(name, is_directory);
  }

 private:
  FaultInjectionEnv& env_;
  const std::string path_;
  const std::unique_ptr<Directory> base_;
};

}  // namespace

FaultInjectionEnv::FaultInjectionEnv(Env& base) : base_(base) {}

void FaultInjectionEnv::FailWrite(int64_t n, int error) {
  std::lock_guard<std::mutex> hold(mutex_);
  failing_write_ = WriteFault{writes_ + n, 0, error};
}

void FaultInjectionEnv::ShortenWrite(int64_t n, size_t bytes, int error) {
  std::lock_guard<std::mutex> hold(mutex_);
  short_write_ = WriteFault{writes_ + n, bytes, error};
}

void FaultInjectionEnv::FailWritesTo(std::string name_part, int error) {
  std::lock_guard<std::mutex> hold(mutex_);
  failing_name_ = std::move(name_part);
  failing_name_error_ = error;
}

void FaultInjectionEnv::CrashAfter(int64_t n) {
  std::lock_guard<std::mutex> hold(mutex_);
  crash_at_ = mutations_ + n;
}

void FaultInjectionEnv::ClearFaults() {
  std::lock_guard<std::mutex> hold(mutex_);
  crash_at_.reset();
  crashed_ = false;
  failing_write_.reset();
  short_write_.reset();
  failing_name_.clear();
}

Status FaultInjectionEnv::DropUnsyncedData() {
  std::map<std::string, int64_t> unsynced;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    unsynced.swap(unsynced_);
  }
  Status first;
  for (const auto& [path, durable_size] : unsynced) {
    Result<std::unique_ptr<WritableFile>> file = base_.NewWritableFile(path, WriteMode::kUpdate);
    Result<PathInfo> info = file.ok() ? (*file)->GetInfo() : Result<PathInfo>(file.status());
    Status cut = info.status();
    if (cut.ok() && info->size > durable_size) cut = (*file)->Truncate(durable_size);
    // A file removed since is no loss to play.
    if (first.ok() && !cut.ok() && !cut.Is(StatusCode::kNotFound)) first = cut;
  }
  return first;
}

void FaultInjectionEnv::NoteUnsynced(std::string_view path, int64_t durable_size) {
  std::lock_guard<std::mutex> hold(mutex_);
  unsynced_.try_emplace(ToOsPath(path), durable_size);
}

void FaultInjectionEnv::NoteSynced(std::string_view path) {
  std::lock_guard<std::mutex> hold(mutex_);
  unsynced_.erase(ToOsPath(path));
}

bool FaultInjectionEnv::crashed() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return crashed_;
}

int64_t FaultInjectionEnv::writes() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return writes_;
}

int64_t FaultInjectionEnv::mutations() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return mutations_;
}

Status FaultInjectionEnv::BeginMutation(std::string_view call, std::string_view path) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (crash_at_ && mutations_ >= *crash_at_) crashed_ = true;
  if (crashed_) {
    return Status::IOError(std::string(call) + " " + std::string(path) + " after the crash", EIO);
  }
  ++mutations_;
  return Status::Ok();
}

Status FaultInjectionEnv::CheckWrite(std::string_view path, size_t length, size_t* allowed) {
  std::lock_guard<std::mutex> hold(mutex_);
  *allowed = 0;
  const int64_t count = ++writes_;
  const std::string message = "write " + std::string(path);
  if (failing_write_ && failing_write_->at == count) {
    return Status::IOError(message, failing_write_->error);
  }
  if (short_write_ && short_write_->at == count) {
    *allowed = std::min(short_write_->bytes, length);
    return Status::IOError(message, short_write_->error);
  }
  if (!failing_name_.empty() && path.find(failing_name_) != std::string_view::npos) {
    return Status::IOError(message, failing_name_error_);
  }
  return Status::Ok();
}

Result<FileStamp> FaultInjectionEnv::GetFileStamp(std::string_view path) {
  return base_.GetFileStamp(path);
}

Result<PathInfo> FaultInjectionEnv::GetPathInfo(std::string_view path, Links links) {
  return base_.GetPathInfo(path, links);
}

Result<std::string> FaultInjectionEnv::RealPath(std::string_view path) {
  return base_.RealPath(path);
}

Status FaultInjectionEnv::ReadFile(std::string_view path, std::string* out) {
  return base_.ReadFile(path, out);
}

Status FaultInjectionEnv::ReadFilePrefix(std::string_view path, size_t max_bytes,
                                         std::string* out) {
  return base_.ReadFilePrefix(path, max_bytes, out);
}

Status FaultInjectionEnv::ReadFileRange(std::string_view path, int64_t offset, size_t length,
                                        std::string* out) {
  return base_.ReadFileRange(path, offset, length, out);
}

Result<std::unique_ptr<ReadableFile>> FaultInjectionEnv::NewReadableFile(std::string_view path) {
  return base_.NewReadableFile(path);
}

Result<std::unique_ptr<WritableFile>> FaultInjectionEnv::NewWritableFile(std::string_view path,
                                                                         WriteMode mode) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("open", path));
  Result<std::unique_ptr<WritableFile>> file = base_.NewWritableFile(path, mode);
  if (!file.ok()) return file;
  int64_t durable_size = 0;
  if (mode == WriteMode::kAppend || mode == WriteMode::kUpdate) {
    Result<PathInfo> info = (*file)->GetInfo();
    if (!info.ok()) return info.status();
    durable_size = info->size;
  }
  return std::unique_ptr<WritableFile>(
      new FaultWritableFile(*this, std::string(path), std::move(*file), durable_size));
}

Result<TempFile> FaultInjectionEnv::NewTempFile(std::string_view prefix) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("create", prefix));
  Result<TempFile> temp = base_.NewTempFile(prefix);
  if (!temp.ok()) return temp;
  temp->file = std::unique_ptr<WritableFile>(
      new FaultWritableFile(*this, temp->path, std::move(temp->file), 0));
  return temp;
}

Status FaultInjectionEnv::RenameFile(std::string_view from, std::string_view to, bool replace) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("rename", from));
  TARVELIN_RETURN_IF_ERROR(base_.RenameFile(from, to, replace));
  // What was not synced moves with the file.
  const std::string source = ToOsPath(from);
  const std::string target = ToOsPath(to);
  if (source == target) return Status::Ok();
  std::lock_guard<std::mutex> hold(mutex_);
  auto moved = unsynced_.extract(source);
  unsynced_.erase(target);
  if (!moved.empty()) {
    moved.key() = target;
    unsynced_.insert(std::move(moved));
  }
  return Status::Ok();
}

Status FaultInjectionEnv::RemoveFile(std::string_view path) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("remove", path));
  TARVELIN_RETURN_IF_ERROR(base_.RemoveFile(path));
  NoteSynced(path);  // nothing of it is left to lose
  return Status::Ok();
}

Status FaultInjectionEnv::RemoveDirectory(std::string_view path) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("remove", path));
  return base_.RemoveDirectory(path);
}

Status FaultInjectionEnv::SetModificationTime(std::string_view path, int64_t mtime_ns) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("set the time of", path));
  return base_.SetModificationTime(path, mtime_ns);
}

Status FaultInjectionEnv::CreateDirectories(std::string_view path) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("create directory", path));
  return base_.CreateDirectories(path);
}

Status FaultInjectionEnv::ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out) {
  return base_.ListDirectory(path, out);
}

Result<std::unique_ptr<Directory>> FaultInjectionEnv::OpenDirectory(std::string_view path,
                                                                    Links links) {
  Result<std::unique_ptr<Directory>> directory = base_.OpenDirectory(path, links);
  if (!directory.ok()) return directory;
  std::string shown(path);
  if (!shown.ends_with('/')) shown.push_back('/');
  return std::unique_ptr<Directory>(
      new FaultDirectory(*this, std::move(shown), std::move(*directory)));
}

Status FaultInjectionEnv::SyncDirectory(std::string_view path) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("sync", path));
  return base_.SyncDirectory(path);
}

Status FaultInjectionEnv::SyncFileSystem(std::string_view path) {
  TARVELIN_RETURN_IF_ERROR(BeginMutation("sync file system of", path));
  return base_.SyncFileSystem(path);
}

Result<std::unique_ptr<FileLock>> FaultInjectionEnv::LockExclusive(std::string_view path) {
  return base_.LockExclusive(path);
}

Result<std::unique_ptr<FileLock>> FaultInjectionEnv::LockByte(std::string_view path,
                                                              uint64_t offset) {
  return base_.LockByte(path, offset);
}

int64_t FaultInjectionEnv::NowUnixNanos() { return base_.NowUnixNanos(); }
int64_t FaultInjectionEnv::NowUnixSeconds() { return base_.NowUnixSeconds(); }
CivilDateTime FaultInjectionEnv::NowLocal() { return base_.NowLocal(); }
LocalTime FaultInjectionEnv::LocalTimeOf(int64_t unix_seconds) {
  return base_.LocalTimeOf(unix_seconds);
}
int64_t FaultInjectionEnv::NowMonotonicSeconds() { return base_.NowMonotonicSeconds(); }
int64_t FaultInjectionEnv::NowMonotonicMicros() { return base_.NowMonotonicMicros(); }
void FaultInjectionEnv::SleepForMicroseconds(int64_t micros) { base_.SleepForMicroseconds(micros); }
uint32_t FaultInjectionEnv::RandomUint32() { return base_.RandomUint32(); }
uint32_t FaultInjectionEnv::CurrentThreadId() { return base_.CurrentThreadId(); }
std::string FaultInjectionEnv::GetVariable(std::string_view name) {
  return base_.GetVariable(name);
}
Result<std::string> FaultInjectionEnv::ProgramPath() { return base_.ProgramPath(); }

Status FaultInjectionEnv::SpawnDetached(std::string_view program,
                                        std::string_view working_directory) {
  return base_.SpawnDetached(program, working_directory);
}

bool FaultInjectionEnv::ProcessRunning(int64_t pid) { return base_.ProcessRunning(pid); }
Status FaultInjectionEnv::TerminateProcess(int64_t pid) { return base_.TerminateProcess(pid); }
Status FaultInjectionEnv::KillProcess(int64_t pid) { return base_.KillProcess(pid); }
Result<std::string> FaultInjectionEnv::ProcessProgram(int64_t pid) {
  return base_.ProcessProgram(pid);
}
std::vector<int64_t> FaultInjectionEnv::FindProcessesByProgram(std::string_view program_path) {
  return base_.FindProcessesByProgram(program_path);
}

Result<std::unique_ptr<StreamSocket>> FaultInjectionEnv::ConnectUnixStream(
    std::string_view socket_path) {
  return base_.ConnectUnixStream(socket_path);
}

Result<std::unique_ptr<NetworkStream>> FaultInjectionEnv::ConnectTcp(std::string_view host,
                                                                     uint16_t port,
                                                                     int timeout_ms) {
  return base_.ConnectTcp(host, port, timeout_ms);
}

Result<std::unique_ptr<DatagramSender>> FaultInjectionEnv::OpenDatagramSender(
    std::string_view host, uint16_t port) {
  return base_.OpenDatagramSender(host, port);
}

Result<std::string> FaultInjectionEnv::ExchangeDatagram(std::string_view host, uint16_t port,
                                                        std::string_view request,
                                                        size_t answer_max, int timeout_ms) {
  return base_.ExchangeDatagram(host, port, request, answer_max, timeout_ms);
}

Result<std::vector<std::string>> FaultInjectionEnv::LocalAddresses() {
  return base_.LocalAddresses();
}

void FaultInjectionEnv::WriteDebugLine(std::string_view line) { base_.WriteDebugLine(line); }

}  // namespace tarvelin
