#include "foundation/scramble.h"

#include <cstring>

namespace tarvelin {

namespace {
constexpr uint8_t kKey[16] = {0x5A, 0x17, 0xC3, 0x08, 0x9E, 0x41, 0x2D, 0xB6,
                              0x73, 0xE0, 0x14, 0x8F, 0x62, 0xAD, 0x39, 0xC5};
}  // namespace

void ScrambleBytes(uint8_t* buffer, size_t length, size_t phase) {
  // Whole records pass through here on every lookup: combine 16 bytes at a
  // time with the key turned to the phase, which the compiler vectorises.
  uint8_t turned[16];
  for (size_t k = 0; k < 16; ++k) turned[k] = kKey[(k + phase) % 16];
  size_t i = 0;
  for (; i + 16 <= length; i += 16) {
    uint8_t block[16];
    std::memcpy(block, buffer + i, 16);
    for (size_t k = 0; k < 16; ++k) block[k] ^= turned[k];
    std::memcpy(buffer + i, block, 16);
  }
  for (; i < length; ++i) buffer[i] ^= turned[i % 16];
}

}  // namespace tarvelin
