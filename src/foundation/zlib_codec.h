// zlib stream format (RFC 1950) at the default level, through zlib itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvelin {

std::vector<uint8_t> ZlibCompress(const uint8_t* data, size_t length);
// False for a stream that is damaged or incomplete; `out` then holds nothing.
bool ZlibDecompress(const uint8_t* data, size_t length, std::vector<uint8_t>* out);

}  // namespace tarvelin
