#include "config/defaults_file.h"

#include <limits>

#include "foundation/text.h"

namespace tarvelin {

bool DefaultsLine::Is(std::string_view name) const { return EqualsNoCase(key, name); }

int64_t DefaultsLine::Number() const {
  std::string_view text = value;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 10) return 0;
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  if (negative) number = -number;
  if (number < std::numeric_limits<int32_t>::min() ||
      number > std::numeric_limits<uint32_t>::max()) {
    return 0;
  }
  return number;
}

std::vector<DefaultsLine> ParseDefaultsFile(std::string_view text) {
  std::vector<DefaultsLine> lines;
  for (const std::string& raw : SplitLines(text)) {
    const std::string line = Trim(raw);
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    DefaultsLine entry;
    entry.key = Trim(std::string_view(line).substr(0, equals));
    entry.value = Trim(std::string_view(line).substr(equals + 1));
    if (entry.value.empty()) continue;
    if (entry.value == "\"\"") entry.value.clear();
    lines.push_back(std::move(entry));
  }
  return lines;
}

bool ReadDefaultsFile(Env& env, std::string_view path, std::vector<DefaultsLine>* lines) {
  lines->clear();
  std::string content;
  if (!env.ReadFile(path, &content).ok()) return false;
  *lines = ParseDefaultsFile(content);
  return true;
}

}  // namespace tarvelin
