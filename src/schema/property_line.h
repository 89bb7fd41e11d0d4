// One line of the constants file apiconst.pas, the file that names the
// properties of the automation objects: "Name = 12; // string". Only lines
// holding both "=" and "//" declare a property.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

// How a property's raw setting bytes read as a value.
enum class ValueKind : uint8_t { kInteger = 0, kDateTime = 1, kText = 2 };

struct PropertyEntry {
  std::string name;  // lower-case, at most 127 characters
  int32_t number = 0;
  ValueKind kind = ValueKind::kInteger;
  std::string spelled;  // the name as the file writes it, for people to read
};

inline constexpr size_t kPropertyNameMax = 127;

// The property a line declares, or nullopt for a line without "=" or "//".
// The whole line is lower-cased; " string" anywhere in it makes a text,
// else " date" a date-time, else an integer. The name is the text before the
// first "="; the number the text up to the second "=", cut at the first ";",
// read as hexadecimal when it holds "$" (every character a digit, anything
// that is not a hex digit counting 0) and as a signed decimal otherwise (0
// when it is not one).
std::optional<PropertyEntry> ParsePropertyLine(std::string_view line);

}  // namespace tarvelin
