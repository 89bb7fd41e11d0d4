#include "schema/name_text.h"

namespace tarvelin {

bool IsValidNameText(std::string_view text, NameRefusal also_refused) {
  constexpr std::string_view kAlwaysRefused = " \"(),:<>\\";
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32 || code >= 127) return false;
    if (kAlwaysRefused.find(c) != std::string_view::npos) return false;
    if (also_refused == NameRefusal::kAt && c == '@') return false;
    if (also_refused == NameRefusal::kListMarks && (c == ';' || c == '[' || c == ']')) return false;
  }
  return true;
}

}  // namespace tarvelin
