// The account an address reaches, as its domain's users.cfg holds it now,
// for the commands that show or change one account.
#pragma once

#include <string>

#include "core/accounts/account_lookup.h"
#include "core/context.h"

namespace tarvelin::cli {

// The lookup may hand out folder delivery in its copy, so the record is
// loaded again from its position. Throws CommandError (not found) for an
// address no account has.
FoundAccount FindStoredAccount(Context& context, const std::string& address);

}  // namespace tarvelin::cli
