// Account-level checks beside the login itself: whether an account may use
// the server now, and whether a new mailbox name with its password would
// make logins by mailbox name ambiguous.
#pragma once

#include <string>
#include <string_view>

#include "schema/user_record.h"

namespace tarvelin {

class Context;

// The check the API asks for (service 9, no domain, no client address): a
// record of another type than a user account is always valid; a user
// account is invalid when disabled (setting 17), expired (setting 18 set
// and today later than the date of setting 19), or inactive for more days
// than its limit (setting 65, by the age of active.dat). A valid account's
// mail folder is created when missing and, with variable 116 or 141 on,
// the access is recorded in useraccess.dat; failures of both leave the
// answer alone.
bool ValidateAccountAccess(Context& context, const UserRecord& record);

// True when another user account has the same mailbox name (any case) and
// exactly the same password: one in another domain, or one in `domain`
// whose alias list does not match `aliases` (groups allowed). Never with
// alias logins (variable 115). When `domain` has bound addresses, only the
// domains whose bound lists share an address with it are scanned (the
// domain itself among them). `holder`, when given, gets the address
// (primary alias@domain) of the account in the way.
bool FindMailboxConflict(Context& context, std::string_view mailbox, std::string_view password,
                         std::string_view aliases, std::string_view domain,
                         std::string* holder = nullptr);

}  // namespace tarvelin
