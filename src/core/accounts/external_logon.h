// The external password checks of accounts whose authentication mode is 1
// (the platform logon, through PAM) or 2 (an LDAP simple bind). The
// account's setting 34 holds entries separated by "|", each a first and a
// second part separated by ";"; every entry is tried in order (one empty
// entry when there is none) and the secret is accepted when one accepts:
//  - mode 1: user = second part, else the mailbox name; domain = first part;
//  - mode 2: host[:port] = first part (default localhost:389); bind name =
//    second part, with "@" + domain appended when it holds no "@", else the
//    primary alias + "@" + domain.
#pragma once

#include <functional>
#include <string_view>

#include "schema/user_record.h"

namespace tarvelin {

struct ExternalCheckers {
  std::function<bool(std::string_view domain, std::string_view user, std::string_view secret)>
      logon;
  std::function<bool(std::string_view host, int port, std::string_view bind_name,
                     std::string_view secret)>
      ldap_bind;
};

// PAM with the service of PamServiceName(), and libldap.
ExternalCheckers PlatformCheckers();

// Whether the account (mode 1 or 2; any other mode is refused) accepts
// `secret` by `checkers`; `domain` is the domain that holds it.
bool ExternalCheckAccepts(const ExternalCheckers& checkers, const UserRecord& record,
                          std::string_view domain, std::string_view secret);

}  // namespace tarvelin
