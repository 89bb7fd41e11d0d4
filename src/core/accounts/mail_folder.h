// The folder of an account's mail and of its per-account files (login.dat,
// active.dat, useraccess.dat): its MailboxPath, below the mail root unless
// absolute.
#pragma once

#include <string>

#include "schema/user_record.h"

namespace tarvelin {

struct Context;

// Ends with a separator; empty when the record's MailboxPath is empty, and
// for a relative one while there is no mail root (mailstore/
// mailbox_location.h).
std::string AccountMailFolder(const Context& context, const UserRecord& record);

}  // namespace tarvelin
