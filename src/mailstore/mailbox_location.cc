#include "mailstore/mailbox_location.h"

#include "schema/config_offsets.h"
#include "core/context.h"
#include "platform/os_path.h"

namespace tarvelin {

std::string MailRootFolder(const Context& context) {
  if (!context.api.initialised) return {};
  std::string root = ToOsPath(context.config.record.Text(offsets::kMailRoot));
  if (root.empty()) return {};
  if (!IsAbsolutePath(root)) root = context.api.install_path + root;
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
