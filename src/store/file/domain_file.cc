#include "store/file/domain_file.h"

#include <cstring>

#include "foundation/scramble.h"
#include "platform/file_system.h"

namespace tarvelin {

bool ReadDomainFile(std::string_view path, DomainRecord* record) {
  record->fill(0);
  std::string bytes;
  if (ReadFilePrefix(path, kDomainRecordSize, &bytes) != ReadResult::kOk) return false;
  std::memcpy(record->data(), bytes.data(), bytes.size());
  ScrambleBytes(record->data(), bytes.size(), 0);
  return true;
}

std::string DomainFileImage(const DomainRecord& record) {
  std::string bytes(reinterpret_cast<const char*>(record.data()), record.size());
  ScrambleBytes(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), 0);
  return bytes;
}

bool WriteDomainFile(std::string_view folder, const DomainRecord& record) {
  const std::string path = std::string(folder) + kDomainFileName;
  const std::string image = DomainFileImage(record);
  if (WriteFileAtomic(path, image)) return true;
  return CreateDirectories(folder) && WriteFileAtomic(path, image);
}

}  // namespace tarvelin
