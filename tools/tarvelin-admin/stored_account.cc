#include "stored_account.h"

#include "cli_output.h"
#include "core/accounts/account_operations.h"

namespace tarvelin::cli {

// A delete by another program between the lookup and the load moves the
// account away from the position found: the lookup is made again.
FoundAccount FindStoredAccount(Context& context, const std::string& address) {
  constexpr int kAttempts = 5;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    FoundAccount found;
    if (!FindAccount(context, address, /*follow_domain_alias=*/true, &found)) {
      throw CommandError("no account for " + address, ExitCode::kNotFound);
    }
    const std::string wanted = AccountIdentity(found.record);
    found.record = Checked(LoadAccount(context, found.domain, found.position));
    if (AccountIdentity(found.record) == wanted) return found;
  }
  throw CommandError("the account of " + address +
                     " kept moving while other programs changed its domain; run again");
}

}  // namespace tarvelin::cli
