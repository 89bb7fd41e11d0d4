#include "platform/posix/udp_socket.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace tarvelin {

UdpAddresses ResolveUdp(std::string_view host, uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_protocol = IPPROTO_UDP;
  addrinfo* found = nullptr;
  const std::string name(host);
  const std::string service = std::to_string(port);
  if (getaddrinfo(name.c_str(), service.c_str(), &hints, &found) != 0) found = nullptr;
  return UdpAddresses(found, freeaddrinfo);
}

UdpSender::~UdpSender() { Close(); }

void UdpSender::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  address_length_ = 0;
}

bool UdpSender::Open(std::string_view host, uint16_t port) {
  Close();
  const UdpAddresses found = ResolveUdp(host, port);
  for (const addrinfo* entry = found.get(); entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof address_) continue;
    const int fd = socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC, entry->ai_protocol);
    if (fd < 0) continue;
    fd_ = fd;
    std::memcpy(address_, entry->ai_addr, entry->ai_addrlen);
    address_length_ = static_cast<uint32_t>(entry->ai_addrlen);
    break;
  }
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
