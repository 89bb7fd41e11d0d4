#include "core/domains/disk_quota.h"

#include <charconv>
#include <string>

#include "foundation/text.h"

namespace tarvelin {

namespace {

uint32_t ParseQuota(std::string_view text) {
  const std::string trimmed = Trim(text);
  uint32_t value = 0;
  const char* end = trimmed.data() + trimmed.size();
  const auto [ptr, error] = std::from_chars(trimmed.data(), end, value);
  return error == std::errc() && ptr == end ? value : 0;
}

}  // namespace

uint32_t DiskQuotaFromFile(Env& env, std::string_view path, std::string_view domain) {
  std::string content;
  if (!env.ReadFile(path, &content).ok()) return 0;
  const std::string name = ToLower(domain);
  for (const std::string& raw : SplitLines(content)) {
    const std::string line = ToLower(Trim(raw));
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(std::string_view(line).substr(0, equals));
    if (key == name || key == "*") return ParseQuota(std::string_view(line).substr(equals + 1));
  }
  return 0;
}

}  // namespace tarvelin
