// Password checks against the platform's accounts through PAM.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// The PAM service the logon check uses: $TARVELIN_PAM_SERVICE, else "tarvelin".
std::string PamServiceName();

// Authenticates `user` with `password` through the PAM service `service`
// (authentication, then the account check: an expired or locked account
// fails). A non-empty `domain` is given to PAM as "domain\user". True only
// when both succeed. An empty password, or a text holding a NUL byte, is
// refused without asking PAM. Thread-safe; never throws; any PAM error is
// false.
bool PamLogon(std::string_view service, std::string_view domain, std::string_view user,
              std::string_view password);

}  // namespace tarvelin
