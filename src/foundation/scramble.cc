#include "foundation/scramble.h"

namespace tarvelin {

namespace {
constexpr uint8_t kKey[16] = {0x5A, 0x17, 0xC3, 0x08, 0x9E, 0x41, 0x2D, 0xB6,
                              0x73, 0xE0, 0x14, 0x8F, 0x62, 0xAD, 0x39, 0xC5};
}  // namespace

void ScrambleBytes(uint8_t* buffer, size_t length, size_t phase) {
  for (size_t i = 0; i < length; ++i) buffer[i] ^= kKey[(i + phase) % 16];
}

}  // namespace tarvelin
