// Little-endian numbers and length-prefixed texts inside fixed-layout records.
// Records are plain byte arrays; every field is read and written through
// these accessors, never through packed structs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

// Unsigned little-endian value of `width` bytes (1 to 4) at `p`.
uint32_t GetLE(const uint8_t* p, int width);
// Stores the `width` (1 to 4) low-order bytes of `value` at `p`, little-endian.
void PutLE(uint8_t* p, int width, uint32_t value);

// 8-byte IEEE-754 double stored little-endian.
double GetDouble(const uint8_t* p);
void PutDouble(uint8_t* p, double value);

// A text of capacity N occupies N+1 bytes: a length byte, then the
// characters. A length byte above the capacity is read as the capacity.
std::string GetPString(const uint8_t* field, int capacity);
// Writes `text` cut to `capacity` characters (and to 255); bytes past the new
// length keep what they held, as they carry no meaning.
void PutPString(uint8_t* field, int capacity, std::string_view text);

}  // namespace tarvelin
