// An independent writer and reader of backup archives for tests, built
// from the documented layout alone: "ILDS", header block length, header block
// (compressed flag, version), then per entry a name, a 4-byte size and the
// data; or the version-1 layout with 256-byte name fields.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvelin::testing {

inline void AppendUint32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline std::string Deflated(std::string_view data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(data.data()), data.size(), Z_DEFAULT_COMPRESSION);
  out.resize(size);
  return out;
}

class ArchiveBuilder {
 public:
  // Version 2 with the magic, or version 1 without it (stored data).
  static ArchiveBuilder Version2(bool compressed = true) {
    ArchiveBuilder builder(compressed, false);
    builder.bytes_ = "ILDS";
    AppendUint32(&builder.bytes_, 5);
    builder.bytes_.push_back(compressed ? 1 : 0);
    AppendUint32(&builder.bytes_, 2);
    return builder;
  }
  static ArchiveBuilder Version1() { return ArchiveBuilder(false, true); }

  // An entry whose data are `content` (deflated when the archive says so).
  ArchiveBuilder& Add(std::string_view name, std::string_view content) {
    return AddRaw(name, compressed_ ? Deflated(content) : std::string(content));
  }
  // An entry with `data` as they stand, and a size field of `size`.
  ArchiveBuilder& AddRaw(std::string_view name, std::string_view data, int64_t size = -1) {
    AppendName(name);
    AppendUint32(&bytes_, static_cast<uint32_t>(size < 0 ? data.size() : size));
    bytes_.append(data);
    return *this;
  }
  // An end marker: an empty name.
  ArchiveBuilder& End() {
    AppendName("");
    return *this;
  }
  ArchiveBuilder& Append(std::string_view raw) {
    bytes_.append(raw);
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  ArchiveBuilder(bool compressed, bool fixed) : compressed_(compressed), fixed_(fixed) {}

  void AppendName(std::string_view name) {
    bytes_.push_back(static_cast<char>(name.size()));
    bytes_.append(name);
    if (fixed_) bytes_.append(255 - name.size(), '\0');
  }

  bool compressed_;
  bool fixed_;
  std::string bytes_;
};

struct ArchiveEntry {
  std::string name;
  std::string content;  // inflated
  bool operator==(const ArchiveEntry&) const = default;
};

// The entries of a version-2 compressed archive as the writer must make
// it; an entry that does not parse or inflate reads as "<broken>".
inline std::vector<ArchiveEntry> ReadArchive(const std::string& bytes) {
  std::vector<ArchiveEntry> entries;
  if (bytes.compare(0, 13, std::string("ILDS\x05\0\0\0\x01\x02\0\0\0", 13)) != 0) {
    return {{"<bad header>", ""}};
  }
  size_t at = 13;
  while (at < bytes.size()) {
    const size_t length = static_cast<unsigned char>(bytes[at]);
    if (at + 1 + length + 4 > bytes.size()) return entries.push_back({"<broken>", ""}), entries;
    ArchiveEntry entry{bytes.substr(at + 1, length), ""};
    at += 1 + length;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
      size |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    at += 4;
    if (at + size > bytes.size()) return entries.push_back({"<broken>", ""}), entries;
    z_stream stream{};
    inflateInit(&stream);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + at));
    stream.avail_in = size;
    char chunk[65536];
    int status = Z_OK;
    while (status == Z_OK) {
      stream.next_out = reinterpret_cast<Bytef*>(chunk);
      stream.avail_out = sizeof chunk;
      status = inflate(&stream, Z_NO_FLUSH);
      entry.content.append(chunk, sizeof chunk - stream.avail_out);
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) entry.name = "<broken>";
    entries.push_back(std::move(entry));
    at += size;
  }
  return entries;
}

}  // namespace tarvelin::testing
