// What the machine's network set-up says: DNS servers and own addresses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// The "nameserver" addresses of a resolv.conf file, in file order.
std::vector<std::string> ReadDnsServers(std::string_view resolv_conf = "/etc/resolv.conf");
// The numeric addresses (IPv4 and IPv6) of the machine's interfaces.
std::vector<std::string> LocalAddresses();

}  // namespace tarvelin
