// Converting a mailbox between the POP3 and IMAP layouts as the maintenance
// export asks for it: the path below the installation's mail root
// (mailstore/mailbox_conversion.h has the rules).
#pragma once

#include <string_view>

#include "mailstore/mailbox_conversion.h"

namespace tarvelin {

class Context;

// False, touching nothing, before Init for a relative path (there is no
// mail root then).
bool ConvertMailbox(const Context& context, std::string_view mailbox_path,
                    const MailboxConversion& how);

}  // namespace tarvelin
