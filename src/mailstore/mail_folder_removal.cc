#include "mailstore/mail_folder_removal.h"

#include <vector>

#include "schema/user_record_offsets.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/os_path.h"
#include "platform/path_identity.h"
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
bool HoldsByIdentity(const PathIdentity& target, std::string kept) {
  for (;;) {
    PathIdentity identity;
    if (GetPathIdentity(kept, &identity) && identity == target) return true;
    if (kept.size() == 1) return false;
    kept = Parent(kept);
  }
}

std::string ToAbsolute(const Context& context, std::string path) {
  path = ToOsPath(path);
  return IsAbsolutePath(path) ? path : context.api.install_path + path;
}

}  // namespace

std::string MailFolderToRemove(const Context& context, const UserRecord& record) {
  return MailPathToRemove(context, GetPString(record.data() + user_offsets::kMailboxPath,
                                              user_offsets::kMailboxPathCapacity));
}

std::string MailPathToRemove(const Context& context, std::string_view path) {
  const std::string mailbox = ToOsPath(Trim(path));
  const std::string root_text = Trim(context.config.record.Text(offsets::kMailRoot));
  if (mailbox.empty() || root_text.empty()) return {};
  const std::string root = Normalized(ToAbsolute(context, root_text));

  std::string target;
  if (IsAbsolutePath(mailbox)) {
    target = Normalized(mailbox);
  } else {
    if (DepthBelow(mailbox) <= 0) return {};
    target = Normalized(root + kPathSeparator + mailbox);
  }
  const std::vector<std::string> kept = {root,
                                         Normalized(ToAbsolute(context, context.api.install_path)),
                                         Normalized(ToAbsolute(context, context.api.config_path))};
  PathIdentity identity;
  const bool exists = GetPathIdentity(target, &identity);
  for (const std::string& folder : kept) {
    if (HoldsByText(target, folder)) return {};
    if (exists && HoldsByIdentity(identity, folder)) return {};
  }
  return WithTrailingSeparator(target);
}

bool RemoveMailFolder(const Context& context, const UserRecord& record) {
  const std::string folder = MailFolderToRemove(context, record);
  return !folder.empty() && RemoveTree(folder);
}

bool RemoveMailPath(const Context& context, std::string_view path) {
  const std::string folder = MailPathToRemove(context, path);
  return !folder.empty() && RemoveTree(folder);
}

}  // namespace tarvelin
