// ServerConfig: the global configuration record, one copy per process. It
// is a plain byte image; fields are read and written by offset, with the
// width or capacity the layout table gives.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "schema/server_config_layout.h"

namespace tarvelin {

class ServerConfig {
 public:
  // The built-in record of a fresh process: every byte 0 except the fields
  // the layout gives a built-in value.
  ServerConfig();

  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  static constexpr int size() { return kServerConfigSize; }

  uint8_t Byte(int offset) const { return bytes_[static_cast<size_t>(offset)]; }
  void SetByte(int offset, uint8_t value) { bytes_[static_cast<size_t>(offset)] = value; }
  uint32_t Number(int offset, int width) const;
  void SetNumber(int offset, int width, uint32_t value);
  // Texts by offset; the capacity comes from the layout table.
  std::string Text(int offset) const;
  void SetText(int offset, std::string_view text);

  bool operator==(const ServerConfig&) const = default;

 private:
  std::array<uint8_t, kServerConfigSize> bytes_;
};

// The layout row at `offset`, or nullptr.
const ConfigField* FindConfigFieldAt(int offset);
// The layout row reached by the plain setting `id`, or nullptr.
const ConfigField* FindConfigFieldById(int id);

}  // namespace tarvelin
