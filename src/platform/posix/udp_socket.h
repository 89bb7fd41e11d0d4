// Sending UDP datagrams to one receiver: PosixEnv::OpenDatagramSender.
#pragma once

#include <netdb.h>

#include <cstdint>
#include <memory>
#include <string_view>

namespace tarvelin {

// The UDP addresses of `host` (numeric or a name) at `port`, in the
// resolver's order; null when it does not resolve.
using UdpAddresses = std::unique_ptr<addrinfo, void (*)(addrinfo*)>;
UdpAddresses ResolveUdp(std::string_view host, uint16_t port);

// A socket bound to nothing that sends datagrams to the receiver it was
// opened for.
class UdpSender {
 public:
  UdpSender() = default;
  ~UdpSender();
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;

  // Resolves `host` (numeric address or name; the first usable address is
  // taken) and makes a socket of its family. False when neither works; the
  // sender is closed then.
  bool Open(std::string_view host, uint16_t port);
  bool is_open() const { return fd_ >= 0; }
  void Close();

  // One datagram; false when it was not handed to the network.
  bool Send(std::string_view data) const;

 private:
  int fd_ = -1;
  alignas(8) unsigned char address_[128] = {};  // a sockaddr_storage
  uint32_t address_length_ = 0;
};

}  // namespace tarvelin
