// Where a mailbox lies: an account's MailboxPath is absolute or relative to
// the mail root (configuration offset 512), which is itself below the
// installation folder when relative. Records may hold "\" or "/".
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// The mail root as configured (`stored`), with the platform's separators,
// below `install_path` unless absolute, ending with a separator; empty for
// an empty text.
std::string MailRootFolder(std::string_view install_path, std::string_view stored);

// The folder of `mailbox_path`, ending with a separator: the path itself
// when absolute, else below `mail_root`. Empty (no folder) for an empty
// path, which would name the mail root itself, and for a relative path
// without a mail root.
std::string MailboxFolder(std::string_view mail_root, std::string_view mailbox_path);

}  // namespace tarvelin
