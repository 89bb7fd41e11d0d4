#include "store/domain_store.h"

#include <algorithm>

namespace tarvelin {

bool DomainStore::ValidName(std::string_view name) {
  return std::all_of(name.begin(), name.end(), [](char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= 127) return true;
    return (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') ||
           (code >= '0' && code <= '9') || c == '-' || c == '.' || c == '[' || c == ']';
  });
}

bool DomainStore::IsFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

}  // namespace tarvelin
