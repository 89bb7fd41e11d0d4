// The backup archive file. All numbers little-endian:
//   "ILDS", 4-byte length n of the header block, the header block (byte 0:
//   1 when entry data are zlib streams, 0 when stored; bytes 1-4: format
//   version), then entries up to the end of the file: a length byte and
//   the name (version 2) or a fixed 256-byte name field (version 1), the
//   4-byte data size, the data. A file without "ILDS" is a version-1
//   archive with stored data from its first byte. A name that is empty
//   after trimming ends the archive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

inline constexpr char kArchiveMagic[] = "ILDS";
inline constexpr uint32_t kArchiveVersion = 2;
// Largest data size the writer stores; readers may take the field as signed.
inline constexpr uint32_t kMaxEntryDataSize = 0x7FFFFFFF;

// Magic and header block of a version-2 archive.
std::string EncodeArchiveHeader(bool compressed);
// Name and size fields of a version-2 entry; `name` is at most 255 bytes.
std::string EncodeEntryHead(std::string_view name, uint32_t data_size);

// How the entries of an archive are laid out.
struct ArchiveLayout {
  bool compressed = false;
  bool fixed_names = false;  // version 1: 256-byte name fields
  int64_t first_entry = 0;
};
// False for an archive whose header cannot be read or names a version
// this reader does not know.
bool ReadArchiveLayout(const ReadableFile& file, ArchiveLayout* layout);

struct EntryHead {
  std::string name;
  int64_t data_offset = 0;
  uint32_t data_size = 0;
};
enum class EntryHeadStatus {
  kEntry,
  kEnd,     // the end of the file or the end marker
  kBroken,  // cut off, or data reaching past the end of the file
};
// Reads the entry that begins at `offset`.
EntryHeadStatus ReadEntryHead(const ReadableFile& file, const ArchiveLayout& layout,
                              int64_t offset, EntryHead* head);

}  // namespace tarvelin
