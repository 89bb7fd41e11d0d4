// Standard Base64 (A-Z, a-z, 0-9, +, /, "=" padding, no line breaks).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

std::string Base64Encode(const uint8_t* data, size_t length);
inline std::string Base64Encode(std::string_view data) {
  return Base64Encode(reinterpret_cast<const uint8_t*>(data.data()), data.size());
}
// Lenient: every character outside the alphabet (spaces, line breaks, "=")
// is skipped; a trailing incomplete group yields the whole bytes it holds.
std::vector<uint8_t> Base64Decode(std::string_view text);

}  // namespace tarvelin
