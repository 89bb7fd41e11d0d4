#include "mailstore/mail_folder_removal.h"

#include <map>
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

// The real path of a normalized path: its longest existing start with the
// links resolved, then the rest as written. A link in the rest would have
// to exist, so the rest holds none.
std::string Resolved(Env& env, const std::string& normalized) {
  std::string start = normalized;
  std::string rest;
  for (;;) {
    if (Result<std::string> real = env.RealPath(start); real.ok()) {
      if (rest.empty()) return *real;
      return *real == std::string(1, kPathSeparator) ? rest : *real + rest;
    }
    if (start.size() == 1) return normalized;
    const size_t slash = start.rfind(kPathSeparator);
    rest = start.substr(slash) + rest;
    start = Parent(start);
  }
}

// True when `target` is `kept` or one of the folders above it, by text.
bool HoldsByText(const std::string& target, const std::string& kept) {
  if (target == kept) return true;
  if (target.size() == 1) return true;  // the root holds everything
  return kept.size() > target.size() && kept.compare(0, target.size(), target) == 0 &&
         kept[target.size()] == kPathSeparator;
}

// The same by the object the paths reach, so other names of one folder
// (a bind mount) cannot hide it.
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

// A MailboxPath form (absolute, or below the mail root), normalized.
std::string MailboxTarget(const std::string& root, const std::string& mailbox) {
  return Normalized(IsAbsolutePath(mailbox) ? mailbox : root + kPathSeparator + mailbox);
}

MailFolderCheck Kept(const std::string& folder, std::string_view why) {
  return {"", "the folder " + folder + " " + std::string(why)};
}

}  // namespace

MailFolderCheck CheckMailPath(Env& env, const ProtectedFolders& folders, std::string_view path) {
  const std::string mailbox = ToOsPath(Trim(path));
  const std::string root_text = Trim(folders.mail_root);
  if (mailbox.empty() || root_text.empty()) return {};
  const std::string root = Normalized(ToAbsolute(folders, root_text));
  const std::string real_root = Resolved(env, root);

  const bool relative = !IsAbsolutePath(mailbox);
  if (relative && DepthBelow(mailbox) <= 0) {
    return Kept(mailbox, "is the mail root or lies above it");
  }
  const std::string written = MailboxTarget(root, mailbox);
  const std::string target = Resolved(env, written);
  if (relative && (target == real_root || !HoldsByText(real_root, target))) {
    return Kept(written, "leads outside the mail root (to " + target + ")");
  }

  const struct {
    std::string path;
    const char* name;
  } kProtected[] = {
      {root, "the mail root"},
      {Normalized(ToAbsolute(folders, folders.install_path)), "the installation folder"},
      {Normalized(ToAbsolute(folders, folders.config_path)), "the configuration folder"},
  };
  const Result<PathInfo> info = env.GetPathInfo(target, Links::kFollow);
  for (const auto& kept : kProtected) {
    const std::string real = Resolved(env, kept.path);
    if (HoldsByText(target, real) || HoldsByText(target, kept.path) ||
        (info.ok() && HoldsByIdentity(env, info->identity(), real))) {
      return Kept(target, std::string("is or holds ") + kept.name);
    }
  }
  // A domain's accounts mostly share one parent folder: each distinct
  // parent is resolved once, not every account's folder (a domain may hold
  // a hundred thousand).
  std::map<std::string, std::string> real_parents;
  for (const HeldFolder& held : folders.held) {
    const std::string other = Trim(held.path);
    if (other.empty()) continue;
    const std::string written_other = MailboxTarget(root, ToOsPath(other));
    std::string real = written_other;
    if (written_other.size() > 1) {
      const std::string parent = Parent(written_other);
      auto [known, fresh] = real_parents.try_emplace(parent);
      if (fresh) known->second = Resolved(env, parent);
      const std::string last = written_other.substr(written_other.rfind(kPathSeparator));
      real = known->second.size() == 1 ? last : known->second + last;
    }
    if (HoldsByText(target, real)) return Kept(target, "is or holds the mail of " + held.owner);
  }
  return {WithTrailingSeparator(target), ""};
}

std::string MailPathToRemove(Env& env, const ProtectedFolders& folders, std::string_view path) {
  return CheckMailPath(env, folders, path).folder;
}

bool RemoveMailPath(Env& env, const ProtectedFolders& folders, std::string_view path,
                    std::string* reason) {
  const MailFolderCheck check = CheckMailPath(env, folders, path);
  if (reason != nullptr) *reason = check.reason;
  return !check.folder.empty() && RemoveTree(env, check.folder).ok();
}

}  // namespace tarvelin
