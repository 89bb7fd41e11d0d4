// The "host[:port]" notation that names a receiver of datagrams.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

struct UdpDestination {
  std::string host;
  uint16_t port = 0;
};

// "host", "host:port", "[host]" or "[host]:port"; an IPv6 address without
// brackets is taken whole (its colons are not a port). Surrounding spaces
// are ignored. nullopt for an empty host or a port that is not a number
// from 1 to 65535.
std::optional<UdpDestination> ParseUdpDestination(std::string_view text, uint16_t default_port);

}  // namespace tarvelin
