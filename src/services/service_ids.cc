#include "services/service_ids.h"

#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr ServiceNames kSmtp{"TarvelinSMTP", "smtp"};
constexpr ServiceNames kPop3{"TarvelinPOP3", "pop3"};
constexpr ServiceNames kControl{"TarvelinControl", "control"};
constexpr ServiceNames kIm{"TarvelinIM", "im"};
constexpr ServiceNames kCalendar{"TarvelinCalendar", "cal"};
// Id 7 reaches the control service but starts no program of its own.
constexpr ServiceNames kControlNoProgram{"TarvelinControl", nullptr};

struct TextEntry {
  int id;
  const char* text;
};
constexpr TextEntry kServiceTexts[] = {{0, "SMTP"}, {1, "POP3"}, {2, "CONTROL"},
                                       {3, "IM"},   {4, "GW"},   {7, "LDAP"},
                                       {8, "IMAP"}, {10, "FTP"}, {12, "SIP"}};

}  // namespace

const ServiceNames* FindServiceNames(int service_id) {
  switch (service_id) {
    case 0:
      return &kSmtp;
    case 1:
      return &kPop3;
    case 2:
      return &kControl;
    case 3:
      return &kIm;
    case 4:
      return &kCalendar;
    case 7:
      return &kControlNoProgram;
    case 8:
      return &kPop3;
    case 10:
      return &kControl;
    case 12:
      return &kIm;
    default:
      return nullptr;
  }
}

const std::vector<int>& KnownServiceIds() {
  static const std::vector<int> ids = [] {
    std::vector<int> known;
    for (const TextEntry& entry : kServiceTexts) known.push_back(entry.id);
    return known;
  }();
  return ids;
}

const char* ServiceText(int service_id) {
  for (const TextEntry& entry : kServiceTexts) {
    if (entry.id == service_id) return entry.text;
  }
  return nullptr;
}

std::optional<int> ServiceIdOfText(std::string_view text) {
  for (const TextEntry& entry : kServiceTexts) {
    if (EqualsNoCase(text, entry.text)) return entry.id;
  }
  return std::nullopt;
}

}  // namespace tarvelin
