#include "jobs/idn/lenient_utf8.h"

#include <cstdint>

namespace tarvelin {

std::u16string ReadLenientUtf8(std::string_view bytes) {
  std::u16string units;
  size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[at]);
    if (lead < 0x80) {
      units += static_cast<char16_t>(lead);
      ++at;
      continue;
    }
    const bool three = (lead & 0x20) != 0;
    const size_t length = three ? 3 : 2;
    if (bytes.size() - at < length) break;
    uint32_t value = three ? lead & 0x0F : lead & 0x1F;
    for (size_t k = 1; k < length; ++k) {
      value = (value << 6) | (static_cast<uint8_t>(bytes[at + k]) & 0x3F);
    }
    units += static_cast<char16_t>(value & 0xFFFF);
    at += length;
  }
  return units;
}

std::string WriteUtf8Units(std::u16string_view units) {
  std::string bytes;
  bytes.reserve(units.size());
  for (char16_t unit : units) {
    if (unit < 0x80) {
      bytes += static_cast<char>(unit);
    } else if (unit < 0x800) {
      bytes += static_cast<char>(0xC0 | (unit >> 6));
      bytes += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      bytes += static_cast<char>(0xE0 | (unit >> 12));
      bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return bytes;
}

}  // namespace tarvelin
