#include "mailstore/mailbox_location.h"

#include "platform/os_path.h"

namespace tarvelin {

std::string MailRootFolder(std::string_view install_path, std::string_view stored) {
  std::string root = ToOsPath(stored);
  if (root.empty()) return {};
  if (!IsAbsolutePath(root)) root = std::string(install_path) + root;
  return WithTrailingSeparator(root);
}

std::string MailboxFolder(std::string_view mail_root, std::string_view mailbox_path) {
  if (mailbox_path.empty()) return {};
  const std::string path = ToOsPath(mailbox_path);
  if (IsAbsolutePath(path)) return WithTrailingSeparator(path);
  if (mail_root.empty()) return {};
  return WithTrailingSeparator(WithTrailingSeparator(mail_root) + path);
}

}  // namespace tarvelin
