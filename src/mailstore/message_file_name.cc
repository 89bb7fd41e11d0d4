#include "mailstore/message_file_name.h"

namespace tarvelin {

std::string ConvertedMessageName(std::string_view name, std::string_view extension) {
  std::string_view stem = name.substr(0, name.rfind('.'));
  const size_t dash = stem.rfind('-');
  if (dash != std::string_view::npos) stem = stem.substr(0, dash);
  std::string converted(stem);
  converted += extension;
  return converted;
}

}  // namespace tarvelin
