#include "platform/posix/network_info.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace tarvelin {

std::vector<std::string> LocalAddresses() {
  std::vector<std::string> addresses;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr) continue;
    char text[INET6_ADDRSTRLEN] = {};
    const void* address = nullptr;
    const int family = entry->ifa_addr->sa_family;
    if (family == AF_INET) {
      address = &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
    } else if (family == AF_INET6) {
      // inet_ntop leaves out the scope suffix ("%eth0") that only this host
      // understands.
      address = &reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr;
    } else {
      continue;
    }
    if (inet_ntop(family, address, text, sizeof(text)) != nullptr) addresses.emplace_back(text);
  }
  freeifaddrs(list);
  return addresses;
}

}  // namespace tarvelin
