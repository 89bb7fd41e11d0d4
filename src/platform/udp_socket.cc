#include "platform/udp_socket.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

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

UdpSender::~UdpSender() { Close(); }

void UdpSender::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  address_length_ = 0;
}

bool UdpSender::Open(std::string_view host, uint16_t port) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_protocol = IPPROTO_UDP;
  addrinfo* found = nullptr;
  const std::string name(host);
  const std::string service = std::to_string(port);
  if (getaddrinfo(name.c_str(), service.c_str(), &hints, &found) != 0) return false;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof address_) continue;
    const int fd = socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC, entry->ai_protocol);
    if (fd < 0) continue;
    fd_ = fd;
    std::memcpy(address_, entry->ai_addr, entry->ai_addrlen);
    address_length_ = static_cast<uint32_t>(entry->ai_addrlen);
    break;
  }
  freeaddrinfo(found);
  return fd_ >= 0;
}

bool UdpSender::Send(std::string_view data) const {
  if (fd_ < 0) return false;
  while (true) {
    const ssize_t sent = sendto(fd_, data.data(), data.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(address_), address_length_);
    if (sent < 0 && errno == EINTR) continue;
    return sent == static_cast<ssize_t>(data.size());
  }
}

}  // namespace tarvelin
