// The resolver's configuration file (/etc/resolv.conf).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// The "nameserver" addresses of the file's text, in file order.
std::vector<std::string> ParseDnsServers(std::string_view content);

}  // namespace tarvelin
