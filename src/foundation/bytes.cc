#include "foundation/bytes.h"

#include <algorithm>
#include <cstring>

namespace tarvelin {

uint32_t GetLE(const uint8_t* p, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

void PutLE(uint8_t* p, int width, uint32_t value) {
  for (int i = 0; i < width; ++i) {
    p[i] = static_cast<uint8_t>(value);
    value >>= 8;
  }
}

double GetDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

void PutDouble(uint8_t* p, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  for (int i = 0; i < 8; ++i) {
    p[i] = static_cast<uint8_t>(bits);
    bits >>= 8;
  }
}

std::string GetPString(const uint8_t* field, int capacity) {
  const int length = std::min<int>(field[0], capacity);
  return std::string(reinterpret_cast<const char*>(field + 1), length);
}

void PutPString(uint8_t* field, int capacity, std::string_view text) {
  const size_t length = std::min<size_t>({text.size(), static_cast<size_t>(capacity), 255});
  field[0] = static_cast<uint8_t>(length);
  std::memcpy(field + 1, text.data(), length);
}

}  // namespace tarvelin
