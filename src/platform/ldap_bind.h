// Password checks against a directory server: an LDAP simple bind.
#pragma once

#include <string_view>

namespace tarvelin {

// A simple bind (protocol version 3) to ldap://host:port as `bind_name` with
// `password`; true when the bind returns 0 (success). `host` is a name or a
// numeric address (an IPv6 address without brackets); anything else in it,
// a port outside 1-65535, or a NUL in the name, is refused. An empty password
// is refused without asking the server: an empty simple bind is an anonymous
// bind, which servers accept. Connecting and the bind's answer each wait a
// few seconds at most; the connection is always closed. Thread-safe; never
// throws.
bool LdapSimpleBind(std::string_view host, int port, std::string_view bind_name,
                    std::string_view password);

}  // namespace tarvelin
