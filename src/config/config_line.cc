#include "config/config_line.h"

#include "foundation/text.h"

namespace tarvelin {

std::string CleanConfigLine(std::string_view line) {
  std::string text(line);
  if (const size_t hash = text.find('#'); hash != std::string::npos) text.resize(hash);
  if (const size_t slashes = text.find("// "); slashes != std::string::npos) text.resize(slashes);
  for (size_t open = text.find("/*"); open != std::string::npos; open = text.find("/*", open)) {
    const size_t close = text.find("*/", open + 2);
    if (close == std::string::npos) break;
    text.erase(open, close + 2 - open);
  }
  return Trim(text);
}

}  // namespace tarvelin
