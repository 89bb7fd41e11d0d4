#include "store/db/connection_text.h"

#include <algorithm>
#include <vector>

#include "foundation/text.h"

namespace tarvelin {

namespace {

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(';', start), text.size());
    parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string KeyOf(const std::string& part) { return ToLower(Trim(part.substr(0, part.find('=')))); }

std::string ValueOf(const std::string& part) {
  const size_t equals = part.find('=');
  return equals == std::string::npos ? std::string() : Trim(part.substr(equals + 1));
}

}  // namespace

std::string ResolveConnectionText(std::string_view text, const std::string& config_path) {
  if (Trim(text).empty()) {
    return "driver=sqlite;database=" + config_path + kDefaultDatabaseFile;
  }
  std::vector<std::string> parts = Split(text);
  bool sqlite = false;
  for (const std::string& part : parts) {
    if (KeyOf(part) == "driver" && ToLower(ValueOf(part)) == "sqlite") sqlite = true;
  }
  if (!sqlite) return std::string(text);
  std::string resolved;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string& part = parts[i];
    if (KeyOf(part) == "database") {
      const std::string file = ValueOf(part);
      if (!file.empty() && file[0] != '/') part = "database=" + config_path + file;
    }
    resolved += (i == 0 ? "" : ";") + part;
  }
  return resolved;
}

}  // namespace tarvelin
