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

// True when an account accepted the secret; `result` is then filled and
// otherwise left alone.
bool AuthenticateAccount(Context& context, const AuthRequest& request, AuthResult* result);

}  // namespace tarvelin
