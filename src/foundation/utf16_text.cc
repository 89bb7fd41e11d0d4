#include "foundation/utf16_text.h"

#include <iconv.h>

#include <cstring>
#include <vector>

namespace tarvelin {

namespace {

// The whole text through one converter; nullopt on any sequence it refuses.
std::optional<std::string> Convert(const char* to, const char* from, const char* in,
                                   size_t in_size) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  // At most 3 UTF-8 bytes per UTF-16 unit, 4 UTF-16 bytes per UTF-8 byte.
  std::vector<char> out(in_size * 4 + 4);
  char* in_at = const_cast<char*>(in);
  size_t in_left = in_size;
  char* out_at = out.data();
  size_t out_left = out.size();
  const size_t done = iconv(converter, &in_at, &in_left, &out_at, &out_left);
  iconv_close(converter);
  if (done == static_cast<size_t>(-1) || in_left != 0) return std::nullopt;
  return std::string(out.data(), out.size() - out_left);
}

}  // namespace

std::optional<std::u16string> Utf16FromUtf8(std::string_view utf8) {
  const std::optional<std::string> bytes = Convert("UTF-16LE", "UTF-8", utf8.data(), utf8.size());
  if (!bytes) return std::nullopt;
  std::u16string units(bytes->size() / 2, u'\0');
  for (size_t k = 0; k < units.size(); ++k) {
    units[k] = static_cast<char16_t>(static_cast<unsigned char>((*bytes)[2 * k]) |
                                     static_cast<unsigned char>((*bytes)[2 * k + 1]) << 8);
  }
  return units;
}

std::optional<std::string> Utf8FromUtf16(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t unit : utf16) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return Convert("UTF-8", "UTF-16LE", bytes.data(), bytes.size());
}

}  // namespace tarvelin
