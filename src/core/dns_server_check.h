// Whether a DNS server answers: a query for a public name goes to the first
// server of a list as the configuration holds it ("a;b", each "host" or
// "host:port", port 53 by default), waiting as long as the configured DNS
// time-out (variable 72 in seconds, 5 when 0).
#pragma once

#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// The name the check asks for: stable, and always holding an address.
inline constexpr char kDnsCheckName[] = "example.com";

// Ok when an answer to the query came without an error code and with at
// least one answer record. InvalidArgument for a list without a usable
// first server; Unavailable, saying why, for no answer in time, a refusal,
// an error code, no records or a reply that is no answer to the query.
Status CheckDnsServer(Context& context, std::string_view servers);

}  // namespace tarvelin
