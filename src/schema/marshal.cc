#include "schema/marshal.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/base64.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "foundation/zlib_codec.h"

namespace tarvelin {

Status BufferTooSmallFor(int32_t needed, const void* buffer, int32_t size) {
  const std::string has =
      buffer == nullptr ? "no buffer" : "the buffer has " + std::to_string(std::max(size, 0));
  const std::string bytes = std::to_string(needed) + (needed == 1 ? " byte" : " bytes");
  return Status::BufferTooSmall("the value needs " + bytes + ", " + has);
}

Result<int32_t> PutText(std::string_view text, void* buffer, int32_t size) {
  const auto length = static_cast<int32_t>(text.size());
  if (size < length || (length > 0 && buffer == nullptr))
    return BufferTooSmallFor(length, buffer, size);
  if (length > 0) std::memcpy(buffer, text.data(), text.size());
  return length;
}

Result<int32_t> PutDate(double value, void* buffer, int32_t size) {
  if (size < 8 || buffer == nullptr) return BufferTooSmallFor(8, buffer, size);
  PutDouble(static_cast<uint8_t*>(buffer), value);
  return 8;
}

Result<int32_t> PutBlock(const uint8_t* block, int32_t block_size, void* buffer, int32_t size) {
  if (size < block_size || buffer == nullptr) return BufferTooSmallFor(block_size, buffer, size);
  std::memcpy(buffer, block, static_cast<size_t>(block_size));
  return block_size;
}

std::string TakeText(const void* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return {};
  return Trim(std::string_view(static_cast<const char*>(buffer), static_cast<size_t>(size)));
}

uint8_t TakeFlag(const void* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  if (size == 2 || size == 4) return GetLE(bytes, size) != 0 ? 1 : 0;
  return bytes[0];
}

uint32_t TakeNumber(const void* buffer, int32_t size) {
  const int32_t width = std::min(size, 4);
  if (buffer == nullptr || width <= 0) return 0;
  return GetLE(static_cast<const uint8_t*>(buffer), width);
}

double TakeDate(const void* buffer, int32_t size) {
  if (buffer == nullptr || size < 8) return -3.0;
  return GetDouble(static_cast<const uint8_t*>(buffer));
}

void TakeBlock(const void* buffer, int32_t size, uint8_t* block, int32_t block_size) {
  const int32_t count = std::min(size, block_size);
  if (buffer == nullptr || count <= 0) return;
  std::memmove(block, buffer, static_cast<size_t>(count));  // the buffer may lie inside the block
}

std::string PackRecord(const uint8_t* record, int32_t record_size) {
  const std::vector<uint8_t> packed = ZlibCompress(record, static_cast<size_t>(record_size));
  return Base64Encode(packed.data(), packed.size());
}

void UnpackRecord(const void* buffer, int32_t size, uint8_t* record, int32_t record_size) {
  const std::vector<uint8_t> packed = Base64Decode(TakeText(buffer, size));
  std::vector<uint8_t> bytes;
  if (!ZlibDecompress(packed.data(), packed.size(), &bytes)) return;
  std::memcpy(record, bytes.data(), std::min(bytes.size(), static_cast<size_t>(record_size)));
}

}  // namespace tarvelin
