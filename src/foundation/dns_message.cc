#include "foundation/dns_message.h"

namespace tarvelin {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kLabelMax = 63;
constexpr uint16_t kClassInternet = 1;
constexpr uint8_t kRecursionDesired = 0x01;

void PutBigEndian16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value >> 8));
  out->push_back(static_cast<char>(value & 0xFF));
}

uint16_t BigEndian16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>((static_cast<uint8_t>(bytes[at]) << 8) |
                               static_cast<uint8_t>(bytes[at + 1]));
}

}  // namespace

std::optional<std::string> DnsQuery(uint16_t id, std::string_view name, uint16_t type) {
  std::string query;
  PutBigEndian16(&query, id);
  query.push_back(static_cast<char>(kRecursionDesired));
  query.push_back('\0');
  PutBigEndian16(&query, 1);  // one question
  PutBigEndian16(&query, 0);
  PutBigEndian16(&query, 0);
  PutBigEndian16(&query, 0);
  while (!name.empty()) {
    const size_t dot = name.find('.');
    const std::string_view label = name.substr(0, dot);
    if (label.empty() || label.size() > kLabelMax) return std::nullopt;
    query.push_back(static_cast<char>(label.size()));
    query.append(label);
    name = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (dot != std::string_view::npos && name.empty()) return std::nullopt;
  }
  if (query.size() == kHeaderSize) return std::nullopt;
  query.push_back('\0');
  PutBigEndian16(&query, type);
  PutBigEndian16(&query, kClassInternet);
  return query;
}

std::optional<DnsHeader> ReadDnsHeader(std::string_view message) {
  if (message.size() < kHeaderSize) return std::nullopt;
  DnsHeader header;
  header.id = BigEndian16(message, 0);
  header.response = (static_cast<uint8_t>(message[2]) & 0x80) != 0;
  header.rcode = static_cast<uint8_t>(message[3]) & 0x0F;
  header.answer_count = BigEndian16(message, 6);
  return header;
}

}  // namespace tarvelin
