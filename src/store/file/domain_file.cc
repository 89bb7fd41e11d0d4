#include "store/file/domain_file.h"

#include <cstring>

#include "foundation/scramble.h"
#include "platform/file_system.h"

namespace tarvelin {

Status ReadDomainFile(Env& env, std::string_view path, DomainRecord* record) {
  record->fill(0);
  std::string bytes;
  TARVELIN_RETURN_IF_ERROR(env.ReadFilePrefix(path, kDomainRecordSize, &bytes));
  std::memcpy(record->data(), bytes.data(), bytes.size());
  ScrambleBytes(record->data(), bytes.size(), 0);
  return Status::Ok();
}

std::string DomainFileImage(const DomainRecord& record) {
  std::string bytes(reinterpret_cast<const char*>(record.data()), record.size());
  ScrambleBytes(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), 0);
  return bytes;
}

Status WriteDomainFile(Env& env, std::string_view folder, const DomainRecord& record) {
  return WriteFileAtomicCreatingFolder(env, std::string(folder) + kDomainFileName,
                                       DomainFileImage(record));
}

}  // namespace tarvelin
