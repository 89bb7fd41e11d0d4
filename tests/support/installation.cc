#include "support/installation.h"

#include <cstring>

#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"

namespace tarvelin::testing {

std::string SettingsFileOf(const ServerConfig& record) {
  std::string bytes(reinterpret_cast<const char*>(record.data()), kServerConfigSize);
  ScrambleBytes(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), 0);
  return bytes;
}

ServerConfig RecordOfSettingsFile(const std::string& bytes) {
  ServerConfig record;
  std::memset(record.data(), 0, kServerConfigSize);
  std::string plain = bytes.substr(0, kServerConfigSize);
  ScrambleBytes(reinterpret_cast<uint8_t*>(plain.data()), plain.size(), 0);
  std::memcpy(record.data(), plain.data(), plain.size());
  return record;
}

std::string DomainsFileOf(const std::vector<std::string>& names) {
  std::string bytes(names.size() * 96, '\0');
  for (size_t i = 0; i < names.size(); ++i) {
    PutPString(reinterpret_cast<uint8_t*>(bytes.data()) + i * 96, 95, names[i]);
  }
  return bytes;
}

ServerConfig RecordWithDomainCount(int count) {
  ServerConfig record;
  record.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(count));
  return record;
}

}  // namespace tarvelin::testing
