// Whether a login is good: the account the login names, its secret checked
// by the account's authentication mode or by a challenge method, the
// login-failure policy and the domain's address binding.
//
// The search runs over the account cache first (account_cache.h), then the
// users.cfg of the domains in index order; the first candidate that
// passes wins. A top-level search that fails waits 3 seconds, 23 when an
// account reached the failure limit (login.dat) within the lock period.
#pragma once

#include <functional>
#include <string>

#include "foundation/hash_methods.h"
#include "schema/user_record.h"

namespace tarvelin {

class Context;

struct AuthRequest {
  HashMethod method = HashMethod::kPlain;
  std::string login;
  std::string secret;
  std::string address;    // the server address the client connected to
  std::string challenge;  // of the challenge methods
  bool top_level = true;
};

struct AuthResult {
  UserRecord record{};  // with the plain password
  std::string domain;   // the domain that holds the account
};

// Why a login was refused, for an administrator's eyes only: a client is
// never told more than no. Later reasons tell more and win over earlier
// ones when several candidates were tried.
enum class AuthRefusal {
  kNone,
  kUnknownAccount,     // no user account the login names
  kWrongSecret,        // an account, but not its password or answer
  kAddressNotAllowed,  // the right secret, but the domain is bound elsewhere
  kLocked,             // the failures reached the limit within the lock period
};

// True when an account accepted the secret; `result` is then filled and
// otherwise left alone. On a refusal, `why` (when given) says why.
bool AuthenticateAccount(Context& context, const AuthRequest& request, AuthResult* result,
                         AuthRefusal* why = nullptr);

}  // namespace tarvelin
