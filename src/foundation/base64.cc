#include "foundation/base64.h"

namespace tarvelin {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Six-bit value of an alphabet character, -1 for any other character.
int SextetOf(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Base64Encode(const uint8_t* data, size_t length) {
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    const uint32_t group = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += kAlphabet[(group >> 6) & 63];
    out += kAlphabet[group & 63];
  }
  const size_t rest = length - i;
  if (rest > 0) {
    uint32_t group = data[i] << 16;
    if (rest == 2) group |= data[i + 1] << 8;
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::vector<uint8_t> Base64Decode(std::string_view text) {
  std::vector<uint8_t> out;
  out.reserve(text.size() / 4 * 3 + 2);
  uint32_t bits = 0;
  int bit_count = 0;
  for (unsigned char c : text) {
    const int sextet = SextetOf(c);
    if (sextet < 0) continue;
    bits = (bits << 6) | static_cast<uint32_t>(sextet);
    bit_count += 6;
    if (bit_count >= 8) {
      bit_count -= 8;
      out.push_back(static_cast<uint8_t>(bits >> bit_count));
      bits &= (1u << bit_count) - 1;
    }
  }
  return out;
}

}  // namespace tarvelin
