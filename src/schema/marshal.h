// How values move between caller buffers and records. Output operations
// return the bytes written, or BufferTooSmall (writing nothing) when the
// buffer cannot hold the value; input operations never fail, they read
// what the size allows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/bytes.h"
#include "foundation/status.h"

namespace tarvelin {

// Text bytes without length prefix or terminator; the text length.
Result<int32_t> PutText(std::string_view text, void* buffer, int32_t size);
// One byte as stored; 1.
inline Result<int32_t> PutFlag(uint8_t value, void* buffer, int32_t size);
// The min(size, 4) low-order bytes, little-endian; that count.
inline Result<int32_t> PutNumber(uint32_t value, void* buffer, int32_t size);
// The 8 bytes of the double; 8.
Result<int32_t> PutDate(double value, void* buffer, int32_t size);
// The whole block; its size.
Result<int32_t> PutBlock(const uint8_t* block, int32_t block_size, void* buffer, int32_t size);

// Exactly `size` bytes (zero bytes included), then codes 0 to 32 trimmed at
// both ends. A null buffer or a size of 0 or less gives the empty text.
std::string TakeText(const void* buffer, int32_t size);
// Size 2 or 4: nonzero value gives 1; any other size: the first byte as is.
uint8_t TakeFlag(const void* buffer, int32_t size);
// The first min(size, 4) bytes little-endian, zero-extended; 0 for size <= 0.
uint32_t TakeNumber(const void* buffer, int32_t size);
// The first 8 bytes as a double; -3.0 when size is below 8.
double TakeDate(const void* buffer, int32_t size);
// The first min(size, block_size) bytes replace the start of the block.
void TakeBlock(const void* buffer, int32_t size, uint8_t* block, int32_t block_size);

// Base64 of the zlib-compressed record.
std::string PackRecord(const uint8_t* record, int32_t record_size);
// Takes the text (TakeText), decodes it leniently and inflates it; the first
// min(inflated, record_size) bytes replace the start of the record. A text
// that does not decode or inflate completely leaves the record untouched.
void UnpackRecord(const void* buffer, int32_t size, uint8_t* record, int32_t record_size);

// The failure of a buffer that cannot take a value of `needed` bytes.
Status BufferTooSmallFor(int32_t needed, const void* buffer, int32_t size);

// Flags and numbers are inline: they lie on the path of nearly every
// setting.
inline Result<int32_t> PutFlag(uint8_t value, void* buffer, int32_t size) {
  if (size <= 0 || buffer == nullptr) return BufferTooSmallFor(1, buffer, size);
  *static_cast<uint8_t*>(buffer) = value;
  return 1;
}

inline Result<int32_t> PutNumber(uint32_t value, void* buffer, int32_t size) {
  const int32_t width = std::min(size, 4);
  if (width <= 0 || buffer == nullptr) return BufferTooSmallFor(1, buffer, size);
  PutLE(static_cast<uint8_t*>(buffer), width, value);
  return width;
}

}  // namespace tarvelin
