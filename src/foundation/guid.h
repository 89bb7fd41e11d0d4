// Guid: a 16-byte class, interface or library identifier, with its registry
// text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend bool operator==(const Guid&, const Guid&) = default;
};

// Upper-case hexadecimal, between braces.
std::string GuidText(const Guid& guid);
// The text form, braces optional, any case; none for anything else.
std::optional<Guid> ParseGuid(std::string_view text);

}  // namespace tarvelin
