#include "foundation/connection_text.h"

#include "foundation/text.h"

namespace tarvelin {

bool IsPostgresUri(std::string_view text) {
  return StartsWithNoCase(text, "postgresql://") || StartsWithNoCase(text, "postgres://");
}

std::string RedactConnectionText(std::string_view text) {
  if (IsPostgresUri(text)) {
    const size_t start = text.find("://") + 3;
    const size_t at = text.find('@', start);
    const size_t colon = text.find(':', start);
    if (at == std::string_view::npos || colon == std::string_view::npos || colon > at) {
      return std::string(text);
    }
    return std::string(text.substr(0, colon + 1)) + "***" + std::string(text.substr(at));
  }
  std::string out;
  bool first = true;
  for (const std::string& pair : Split(text, ';')) {
    if (!first) out += ';';
    first = false;
    const size_t equals = pair.find('=');
    if (equals != std::string::npos && EqualsNoCase(Trim(pair.substr(0, equals)), "password")) {
      out += pair.substr(0, equals + 1) + "***";
    } else {
      out += pair;
    }
  }
  return out;
}

}  // namespace tarvelin
