// The forms of network names the CLI takes: DNS host names (domain names
// among them) and IP addresses. Each check answers why a text is refused,
// or an empty string when it is good; the library's own name rules stay
// as they are, so only what people type here is held to these.
#pragma once

#include <string>

namespace tarvelin::cli {

// A DNS host name: labels of letters, digits and hyphens, none empty, none
// starting or ending with a hyphen, each at most 63 characters, the whole
// at most 253. A name with characters beyond ASCII is refused with a hint
// at its IDN form.
std::string HostNameProblem(const std::string& name);

// A domain name a command is to add: a host name by the rule above, or
// CommandError (refused), after `what` failed, saying which rule it breaks.
void CheckNewDomainName(const std::string& name, const std::string& what);

// An IPv4 address in dotted decimal or an IPv6 address.
bool IsIpAddress(const std::string& text);

// A ";"-separated list of IP addresses, items trimmed; an empty list is
// good. The refusal names the first bad item.
std::string AddressListProblem(const std::string& text);

// A ";"-separated list of host names, items trimmed.
std::string HostNameListProblem(const std::string& text);

// A host name or IP address, optionally followed by ":" and a port from 1
// to 65535; an empty text is good (none set).
std::string HostAndPortProblem(const std::string& text);

}  // namespace tarvelin::cli
