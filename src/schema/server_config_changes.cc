#include "schema/server_config_changes.h"

#include <cstring>

namespace tarvelin {

namespace {

// Copies [begin, end) byte by byte where the two records differ.
void CopyChangedBytes(const ServerConfig& base, const ServerConfig& changed, ServerConfig& target,
                      int begin, int end) {
  for (int offset = begin; offset < end; ++offset) {
    if (changed.Byte(offset) != base.Byte(offset)) target.SetByte(offset, changed.Byte(offset));
  }
}

}  // namespace

void CopyChangedFields(const ServerConfig& base, const ServerConfig& changed,
                       ServerConfig& target) {
  int covered_to = 0;
  for (const ConfigField& field : ServerConfigFields()) {
    CopyChangedBytes(base, changed, target, covered_to, field.offset);
    const size_t size = field.size;
    if (std::memcmp(base.data() + field.offset, changed.data() + field.offset, size) != 0) {
      std::memcpy(target.data() + field.offset, changed.data() + field.offset, size);
    }
    covered_to = field.offset + field.size;
  }
  CopyChangedBytes(base, changed, target, covered_to, ServerConfig::size());
}

}  // namespace tarvelin
