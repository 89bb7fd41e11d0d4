#include "schema/property_table.h"

#include <charconv>
#include <map>
#include <memory>
#include <mutex>

#include "foundation/text.h"
#include "platform/file_system.h"

namespace tarvelin {

namespace {

constexpr size_t kCommandMax = 255;
constexpr const char* kFileName = "apiconst.pas";

}  // namespace

PropertyTable PropertyTable::FromText(std::string_view text) {
  PropertyTable table;
  for (const std::string& line : SplitLines(text)) {
    if (std::optional<PropertyEntry> entry = ParsePropertyLine(line)) table.Add(std::move(*entry));
  }
  return table;
}

void PropertyTable::Add(PropertyEntry entry) {
  by_name_.emplace(entry.name, entries_.size());
  by_number_.emplace(entry.number, entries_.size());
  entries_.push_back(std::move(entry));
}

const PropertyEntry* PropertyTable::Lookup(std::string_view command) const {
  command = command.substr(0, kCommandMax);
  if (!command.empty() && command[0] >= '0' && command[0] <= '9') {
    int32_t number = 0;
    const auto [end, error] =
        std::from_chars(command.data(), command.data() + command.size(), number);
    if (error != std::errc() || end != command.data() + command.size()) return nullptr;
    const auto found = by_number_.find(number);
    return found == by_number_.end() ? nullptr : &entries_[found->second];
  }
  const auto found = by_name_.find(ToLower(command));
  return found == by_name_.end() ? nullptr : &entries_[found->second];
}

std::vector<std::string> PropertyFileCandidates(std::string_view install_path) {
  const std::string base(install_path);
  return {base + "api/delphi/" + kFileName, base + kFileName, base + "../api/" + kFileName};
}

PropertyTable LoadPropertyTable(Env& env, std::string_view install_path) {
  if (install_path.empty()) return PropertyTable();
  for (const std::string& path : PropertyFileCandidates(install_path)) {
    if (!FileExists(env, path)) continue;
    std::string text;
    if (!env.ReadFile(path, &text).ok()) return PropertyTable();
    return PropertyTable::FromText(text);
  }
  return PropertyTable();
}

}  // namespace tarvelin
