// The server services a ServiceId names. Several ids live in one program;
// the id still travels in the messages that carry one.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace tarvelin {

struct ServiceNames {
  const char* service_name;  // socket and pid-file name, e.g. "TarvelinSMTP"
  const char* program_file;  // program in the install directory, or nullptr
};

// nullptr for an id without names (every operation on it fails).
const ServiceNames* FindServiceNames(int service_id);

// Every id that has names, in increasing order.
const std::vector<int>& KnownServiceIds();

// The short text management clients name a service by: "SMTP", "POP3",
// "CONTROL", "IM", "GW", "LDAP", "IMAP", "FTP" or "SIP"; nullptr for an id
// without names.
const char* ServiceText(int service_id);
// The id of such a text, letter case ignored; nullopt for any other text.
std::optional<int> ServiceIdOfText(std::string_view text);

}  // namespace tarvelin
