// The messages a new user account finds in its mailbox: ConfigPath +
// "messages.dat" lists them, one message file a line (the file holds the
// whole message, headers and body, as sent). A name is relative to
// ConfigPath unless absolute; lines are trimmed and blank ones skipped.
//
// Each message is placed in the account's mail folder in its layout, under
// a new name of its own (never over an existing file): POP3 (MailboxMode
// 0) as "<name>.tmp" in the folder, dot-stuffed and ended by CR LF "."
// CR LF; IMAP as "<name>.imap" in "inbox", as it is. Each file is written
// under a temporary name and renamed into place when complete.
#pragma once

#include "schema/user_record.h"

namespace tarvelin {

class Context;

// The number of messages placed; a listed file that cannot be read, or a
// message that cannot be written, is passed over.
int PlaceWelcomeMessages(const Context& context, const UserRecord& record);

}  // namespace tarvelin
