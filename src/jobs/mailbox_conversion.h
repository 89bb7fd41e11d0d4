// Converting a mailbox between the POP3 and IMAP layouts as the maintenance
// export asks for it: the path below the installation's mail root
// (mailstore/mailbox_conversion.h has the rules).
#pragma once

#include <string>
#include <string_view>

#include "mailstore/mailbox_conversion.h"

namespace tarvelin {

class Context;

// False, touching nothing, before Init for a relative path (there is no
// mail root then).
bool ConvertMailbox(const Context& context, std::string_view mailbox_path,
                    const MailboxConversion& how);

// Whether the conversion would convert or move anything, asked without
// creating or changing anything (mailstore/mailbox_conversion.h).
bool MailboxConversionHasWork(const Context& context, std::string_view mailbox_path,
                              const MailboxConversion& how);

// The folder a conversion of `mailbox_path` works on, ending with a
// separator; empty for none (an empty path, or a relative one before Init).
std::string MailboxConversionFolder(const Context& context, std::string_view mailbox_path);
// Whether that folder exists.
bool MailboxConversionFolderExists(const Context& context, std::string_view mailbox_path);

}  // namespace tarvelin
