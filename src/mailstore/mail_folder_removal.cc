#include "mailstore/mail_folder_removal.h"

#include <vector>

#include "foundation/text.h"
#include "platform/os_path.h"
#include "platform/remove_tree.h"

namespace tarvelin {

namespace {

// An absolute path without ".", ".." and repeated separators, ending
// without a separator ("/" for the root).
std::string Normalized(std::string_view absolute) {
  std::vector<std::string> parts;
  for (const std::string& part : Split(ToOsPath(absolute), kPathSeparator)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string path;
  for (const std::string& part : parts) path += kPathSeparator + part;
  return path.empty() ? std::string(1, kPathSeparator) : path;
}

// Depth of a relative path below its start; -1 when any prefix of it lies
// above the start.
int DepthBelow(std::string_view relative) {
  int depth = 0;
  for (const std::string& part : Split(relative, kPathSeparator)) {
    if (part == "..") {
      if (--depth < 0) return -1;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
  }
  return depth;
}

std::string Parent(const std::string& normalized) {
  const size_t slash = normalized.rfind(kPathSeparator);
  return slash == 0 || slash == std::string::npos ? std::string(1, kPathSeparator)
                                                  : normalized.substr(0, slash);
}

// True when `target` is `kept` or one of the folders above it, by text.
bool HoldsByText(const std::string& target, const std::string& kept) {
  if (target == kept) return true;
  if (target.size() == 1) return true;  // the root holds everything
  return kept.size() > target.size() && kept.compare(0, target.size(), target) == 0 &&
         kept[target.size()] == kPathSeparator;
}

// The same by the object the paths reach, so links and other names of one
// folder cannot hide it.
bool HoldsByIdentity(Env& env, const PathIdentity& target, std::string kept) {
  for (;;) {
    const Result<PathInfo> info = env.GetPathInfo(kept, Links::kFollow);
    if (info.ok() && info->identity() == target) return true;
    if (kept.size() == 1) return false;
    kept = Parent(kept);
  }
}

std::string ToAbsolute(const ProtectedFolders& folders, std::string path) {
  path = ToOsPath(path);
  return IsAbsolutePath(path) ? path : folders.install_path + path;
}

}  // namespace

std::string MailPathToRemove(Env& env, const ProtectedFolders& folders, std::string_view path) {
  const std::string mailbox = ToOsPath(Trim(path));
  const std::string root_text = Trim(folders.mail_root);
  if (mailbox.empty() || root_text.empty()) return {};
  const std::string root = Normalized(ToAbsolute(folders, root_text));

  std::string target;
  if (IsAbsolutePath(mailbox)) {
    target = Normalized(mailbox);
  } else {
    if (DepthBelow(mailbox) <= 0) return {};
    target = Normalized(root + kPathSeparator + mailbox);
  }
  const std::vector<std::string> kept = {root, Normalized(ToAbsolute(folders, folders.install_path)),
                                         Normalized(ToAbsolute(folders, folders.config_path))};
  const Result<PathInfo> info = env.GetPathInfo(target, Links::kFollow);
  for (const std::string& folder : kept) {
    if (HoldsByText(target, folder)) return {};
    if (info.ok() && HoldsByIdentity(env, info->identity(), folder)) return {};
  }
  return WithTrailingSeparator(target);
}

bool RemoveMailPath(Env& env, const ProtectedFolders& folders, std::string_view path) {
  const std::string folder = MailPathToRemove(env, folders, path);
  return !folder.empty() && RemoveTree(env, folder).ok();
}

}  // namespace tarvelin
