#include "foundation/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace tarvelin {

std::vector<uint8_t> ZlibCompress(const uint8_t* data, size_t length) {
  uLongf bound = compressBound(length);
  std::vector<uint8_t> out(bound);
  if (compress2(out.data(), &bound, data, length, Z_DEFAULT_COMPRESSION) != Z_OK) return {};
  out.resize(bound);
  return out;
}

bool ZlibDecompress(const uint8_t* data, size_t length, std::vector<uint8_t>* out) {
  out->clear();
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;

  // Output grows in chunks as inflate produces it, so a hostile stream can
  // claim no more memory than the data it really inflates to.
  constexpr size_t kChunk = 64 * 1024;
  constexpr size_t kMaxFeed = std::numeric_limits<uInt>::max();
  size_t consumed = 0;
  size_t produced = 0;
  int status = Z_OK;
  while (status == Z_OK) {
    if (stream.avail_in == 0 && consumed < length) {
      const size_t feed = std::min(length - consumed, kMaxFeed);
      stream.next_in = const_cast<Bytef*>(data + consumed);
      stream.avail_in = static_cast<uInt>(feed);
      consumed += feed;
    }
    out->resize(produced + kChunk);
    stream.next_out = out->data() + produced;
    stream.avail_out = static_cast<uInt>(kChunk);
    status = inflate(&stream, Z_NO_FLUSH);
    produced += kChunk - stream.avail_out;
    // Input and output room are never both exhausted here, so Z_BUF_ERROR
    // (no progress possible) means the stream ended early; it ends the loop.
  }
  inflateEnd(&stream);
  // Bytes after the end of the stream (padding of a stored blob) are ignored.
  if (status != Z_STREAM_END) {
    out->clear();
    out->shrink_to_fit();
    return false;
  }
  out->resize(produced);
  return true;
}

}  // namespace tarvelin
