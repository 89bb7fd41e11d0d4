#include "platform/udp_destination.h"

#include <charconv>

#include "foundation/text.h"

namespace tarvelin {

namespace {

std::optional<uint16_t> ParsePort(std::string_view text) {
  uint32_t port = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, port);
  if (text.empty() || error != std::errc() || stop != end || port == 0 || port > 65535) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(port);
}

}  // namespace

std::optional<UdpDestination> ParseUdpDestination(std::string_view text, uint16_t default_port) {
  const std::string trimmed = Trim(text);
  std::string_view rest = trimmed;
  UdpDestination destination;
  std::string_view port_text;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    destination.host = std::string(rest.substr(1, close - 1));
    rest.remove_prefix(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port_text = rest.substr(1);
      if (port_text.empty()) return std::nullopt;
    }
  } else if (const size_t colon = rest.find(':');
             colon != std::string_view::npos &&
             rest.find(':', colon + 1) == std::string_view::npos) {
    destination.host = std::string(rest.substr(0, colon));
    port_text = rest.substr(colon + 1);
    if (port_text.empty()) return std::nullopt;
  } else {
    destination.host = std::string(rest);
  }
  if (destination.host.empty()) return std::nullopt;
  destination.port = default_port;
  if (!port_text.empty()) {
    const std::optional<uint16_t> port = ParsePort(port_text);
    if (!port) return std::nullopt;
    destination.port = *port;
  }
  return destination;
}

}  // namespace tarvelin
