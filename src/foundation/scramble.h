// The repeating 16-byte exclusive-or transform of the scrambled record files
// (settings.cfg, domain.cfg, users.cfg, remote.cfg). It is its own inverse.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvelin {

// Byte i is combined with key byte (i + phase) mod 16.
void ScrambleBytes(uint8_t* buffer, size_t length, size_t phase);

}  // namespace tarvelin
