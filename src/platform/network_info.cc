#include "platform/network_info.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "foundation/text.h"
#include "platform/file_system.h"

namespace tarvelin {

std::vector<std::string> ReadDnsServers(std::string_view resolv_conf) {
  std::vector<std::string> servers;
  std::string content;
  if (ReadFile(resolv_conf, &content) != ReadResult::kOk) return servers;
  for (const std::string& raw : SplitLines(content)) {
    std::string line = raw;
    const size_t comment = line.find_first_of("#;");
    if (comment != std::string::npos) line.resize(comment);
    for (char& c : line) {
      if (c == '\t') c = ' ';
    }
    std::vector<std::string> words;
    for (const std::string& word : Split(Trim(line), ' ')) {
      if (!word.empty()) words.push_back(word);
    }
    if (words.size() >= 2 && words[0] == "nameserver") servers.push_back(words[1]);
  }
  return servers;
}

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
