// The few DNS message bytes a server check needs: a standard query for one
// name, and the header of what came back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr uint16_t kDnsTypeA = 1;

// A query with recursion desired for the records of `type` of `name`
// (dot-separated labels of 1 to 63 characters); nullopt for a name that
// does not make labels.
std::optional<std::string> DnsQuery(uint16_t id, std::string_view name, uint16_t type);

struct DnsHeader {
  uint16_t id = 0;
  bool response = false;  // the QR bit
  int rcode = 0;          // 0 is no error
  int answer_count = 0;
};

// The 12-byte header at the start of `message`; nullopt when it is shorter.
std::optional<DnsHeader> ReadDnsHeader(std::string_view message);

}  // namespace tarvelin
