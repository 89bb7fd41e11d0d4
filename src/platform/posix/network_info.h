// The machine's own network addresses.
#pragma once

#include <string>
#include <vector>

namespace tarvelin {

// The numeric addresses (IPv4 and IPv6) of the machine's interfaces.
std::vector<std::string> LocalAddresses();

}  // namespace tarvelin
