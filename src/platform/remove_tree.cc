#include "platform/remove_tree.h"

#include <string>
#include <vector>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

// Keeps the first failure; an entry gone meanwhile is no failure.
void Note(const Status& status, Status* first) {
  if (!status.ok() && !status.Is(StatusCode::kNotFound) && first->ok()) *first = status;
}

// Empties `directory`, depth first, without following links.
Status EmptyDirectory(Directory& directory) {
  std::vector<std::string> names;
  Status first = directory.ListNames(&names);
  for (const std::string& name : names) {
    Result<PathInfo> info = directory.GetInfoOf(name, Links::kNoFollow);
    if (!info.ok()) {
      Note(info.status(), &first);
      continue;
    }
    const bool is_directory = info->kind == FileKind::kDirectory;
    if (is_directory) {
      Result<std::unique_ptr<Directory>> child = directory.OpenChild(name);
      Note(child.ok() ? EmptyDirectory(**child) : child.status(), &first);
    }
    Note(directory.RemoveEntry(name, is_directory), &first);
  }
  return first;
}

}  // namespace

Status RemoveTree(Env& env, std::string_view path) {
  std::string target = ToOsPath(path);
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (target.empty()) return Status::InvalidArgument("removal of an empty path");
  Result<PathInfo> info = env.GetPathInfo(target, Links::kNoFollow);
  if (!info.ok()) return info.status().Is(StatusCode::kNotFound) ? Status::Ok() : info.status();
  Status first;
  if (info->kind != FileKind::kDirectory) {
    Note(env.RemoveFile(target), &first);
    return first;
  }
  {
    Result<std::unique_ptr<Directory>> directory = env.OpenDirectory(target, Links::kNoFollow);
    Note(directory.ok() ? EmptyDirectory(**directory) : directory.status(), &first);
  }
  Note(env.RemoveDirectory(target), &first);
  return first;
}

}  // namespace tarvelin
