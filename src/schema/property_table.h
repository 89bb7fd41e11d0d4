// The property-name table: the names and kinds of the automation properties,
// read from an installation's apiconst.pas. Lookups take a property name
// (any case) or a property number as the clients write them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/env.h"
#include "schema/property_line.h"

namespace tarvelin {

class PropertyTable {
 public:
  // The properties the lines of a constants file declare, in line order.
  static PropertyTable FromText(std::string_view text);

  // Appends; an entry whose name is already taken stays unreachable by name
  // (the first one wins), as does one whose number is taken.
  void Add(PropertyEntry entry);

  // The entry a command names, or null: a command that begins with a digit
  // is a decimal property number (the first entry with that number), any
  // other is a name, compared without regard to case. Commands are cut to
  // 255 characters.
  const PropertyEntry* Lookup(std::string_view command) const;

  const std::vector<PropertyEntry>& entries() const { return entries_; }

 private:
  std::vector<PropertyEntry> entries_;
  std::unordered_map<std::string, size_t> by_name_;
  std::unordered_map<int32_t, size_t> by_number_;
};

// Where an installation keeps apiconst.pas, in the order they are tried:
// api/delphi/, the installation folder itself, ../api/.
std::vector<std::string> PropertyFileCandidates(std::string_view install_path);

// The table of the first candidate that exists; empty when there is none,
// it cannot be read, or the installation has no path.
PropertyTable LoadPropertyTable(Env& env, std::string_view install_path);

}  // namespace tarvelin
