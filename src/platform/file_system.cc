#include "platform/file_system.h"

#include <memory>
#include <string>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

bool IsKind(Env& env, std::string_view path, FileKind kind) {
  const Result<PathInfo> info = env.GetPathInfo(path, Links::kFollow);
  return info.ok() && info->kind == kind;
}

// The folder of `path` with its trailing separator; empty for a bare name.
std::string FolderOf(std::string_view path) {
  const std::string os_path = ToOsPath(path);
  const size_t slash = os_path.rfind('/');
  return slash == std::string::npos ? std::string() : os_path.substr(0, slash + 1);
}

}  // namespace

bool FileExists(Env& env, std::string_view path) { return IsKind(env, path, FileKind::kRegular); }

bool DirectoryExists(Env& env, std::string_view path) {
  return IsKind(env, path, FileKind::kDirectory);
}

int64_t FileSize(Env& env, std::string_view path) {
  const Result<PathInfo> info = env.GetPathInfo(path, Links::kFollow);
  return info.ok() && info->kind == FileKind::kRegular ? info->size : -1;
}

Status WriteFileAtomic(Env& env, std::string_view path, std::string_view data) {
  Result<TempFile> temp = env.NewTempFile(std::string(path) + ".tmp.");
  if (!temp.ok()) return temp.status();
  Status status = temp->file->Append(data);
  if (status.ok()) status = temp->file->Sync();
  const Status closed = temp->file->Close();
  if (status.ok()) status = closed;
  if (status.ok()) status = env.RenameFile(temp->path, path, /*replace=*/true);
  if (!status.ok()) {
    env.RemoveFile(temp->path);
    return status;
  }
  const std::string folder = FolderOf(path);
  env.SyncDirectory(folder.empty() ? "." : folder);
  return Status::Ok();
}

Status WriteFileAtomicCreatingFolder(Env& env, std::string_view path, std::string_view data) {
  Status status = WriteFileAtomic(env, path, data);
  if (status.ok()) return status;
  const std::string folder = FolderOf(path);
  // Only a missing folder is mended here; any other failure stands.
  if (folder.empty() || DirectoryExists(env, folder)) return status;
  if (Status created = env.CreateDirectories(folder); !created.ok()) return created;
  return WriteFileAtomic(env, path, data);
}

Status AppendToFile(Env& env, std::string_view path, std::string_view data) {
  Result<std::unique_ptr<WritableFile>> file = env.NewWritableFile(path, WriteMode::kAppend);
  if (!file.ok()) return file.status();
  const Status written = (*file)->Append(data);
  const Status closed = (*file)->Close();
  return written.ok() ? closed : written;
}

}  // namespace tarvelin
