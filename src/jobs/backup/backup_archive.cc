#include "jobs/backup/backup_archive.h"

#include <cstring>

#include "foundation/bytes.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr uint32_t kHeaderBlockSize = 5;
constexpr size_t kFixedNameField = 256;

void AppendLE32(std::string* out, uint32_t value) {
  uint8_t bytes[4];
  PutLE(bytes, 4, value);
  out->append(reinterpret_cast<const char*>(bytes), 4);
}

// Exactly `length` bytes at `offset`, or false.
bool ReadExact(const ReadableFile& file, int64_t offset, void* buffer, size_t length) {
  const Result<size_t> read = file.ReadAt(offset, buffer, length);
  return read.ok() && *read == length;
}

}  // namespace

std::string EncodeArchiveHeader(bool compressed) {
  std::string header(kArchiveMagic, 4);
  AppendLE32(&header, kHeaderBlockSize);
  header.push_back(compressed ? 1 : 0);
  AppendLE32(&header, kArchiveVersion);
  return header;
}

std::string EncodeEntryHead(std::string_view name, uint32_t data_size) {
  std::string head;
  head.push_back(static_cast<char>(name.size()));
  head.append(name);
  AppendLE32(&head, data_size);
  return head;
}

bool ReadArchiveLayout(const ReadableFile& file, ArchiveLayout* layout) {
  *layout = ArchiveLayout();
  uint8_t start[8];
  if (!ReadExact(file, 0, start, sizeof start) || std::memcmp(start, kArchiveMagic, 4) != 0) {
    // No magic: a version-1 archive of stored entries from the first byte
    // (a file too short for a magic is one too).
    layout->fixed_names = true;
    return true;
  }
  const uint32_t block_size = GetLE(start + 4, 4);
  uint8_t block[kHeaderBlockSize];
  if (block_size < kHeaderBlockSize || !ReadExact(file, 8, block, sizeof block)) return false;
  const uint32_t version = GetLE(block + 1, 4);
  if (version != 1 && version != kArchiveVersion) return false;
  layout->compressed = block[0] != 0;
  layout->fixed_names = version == 1;
  layout->first_entry = 8 + static_cast<int64_t>(block_size);
  return layout->first_entry <= file.stamp().size;
}

EntryHeadStatus ReadEntryHead(const ReadableFile& file, const ArchiveLayout& layout,
                              int64_t offset, EntryHead* head) {
  if (offset >= file.stamp().size) return EntryHeadStatus::kEnd;
  uint8_t length = 0;
  if (!ReadExact(file, offset, &length, 1)) return EntryHeadStatus::kBroken;
  char name[kFixedNameField];
  if (!ReadExact(file, offset + 1, name, length)) return EntryHeadStatus::kBroken;
  head->name.assign(name, length);
  if (Trim(head->name).empty()) return EntryHeadStatus::kEnd;
  const int64_t size_at = offset + (layout.fixed_names ? kFixedNameField : 1 + length);
  uint8_t size[4];
  if (!ReadExact(file, size_at, size, sizeof size)) return EntryHeadStatus::kBroken;
  head->data_offset = size_at + 4;
  head->data_size = GetLE(size, 4);
  if (head->data_size > file.stamp().size - head->data_offset) return EntryHeadStatus::kBroken;
  return EntryHeadStatus::kEntry;
}

}  // namespace tarvelin
