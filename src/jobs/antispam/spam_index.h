// SpamIndexNow: an account's sorted messages indexed for the antispam
// engine (jobs/antispam/spam_message_indexer.h), then the SMTP service
// asked to learn from the index queue.
//
// Eligible are user accounts (type 0) whose flag at offset 764 (account
// setting 63) is set; the genuine folder is the mailbox folder for
// MailboxMode 0 and its "inbox/" otherwise, the spam folder its "~spam/".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "jobs/antispam/spam_message_indexer.h"

namespace tarvelin {

class Context;

// ConfigPath + "../spam/index/", whatever path.dat says of the spam
// directory.
std::string SpamIndexQueueFolder(const Context& context);

// Indexes the account at "alias@domain", or "alias" at the first domain of
// the list. NotFound (nothing touched) for an unknown domain or account,
// one whose record cannot be loaded, and one that is not eligible. Sends
// nothing.
Status IndexAccountSpam(Context& context, std::string_view email, SpamIndexTally* tally);

// Called before each account of a domain walk with the domain, the
// account's primary alias, and its number and the count in that domain.
using SpamIndexProgress =
    std::function<void(std::string_view domain, std::string_view alias, int done, int count)>;

// Indexes every eligible account of `domain` (its name in any case).
// NotFound for an unknown domain. Sends nothing.
Status IndexDomainSpam(Context& context, std::string_view domain, SpamIndexTally* tally,
                       const SpamIndexProgress& progress = {});

// Asks the SMTP service to index now (message 1440, 0, 0) as a pipe
// command without the running check; true when it was written.
bool RequestSpamIndexing(const Context& context);

}  // namespace tarvelin
