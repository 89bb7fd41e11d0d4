#include "platform/locale_format.h"

#include <ctime>

namespace tarvelin {

std::string FormatShortDate(const CivilDate& date) {
  std::tm parts{};
  parts.tm_year = date.year - 1900;
  parts.tm_mon = date.month - 1;
  parts.tm_mday = date.day;
  char text[64];
  const size_t length = std::strftime(text, sizeof text, "%x", &parts);
  return std::string(text, length);
}

}  // namespace tarvelin
