#include "services/service_ids.h"

namespace tarvelin {

namespace {

constexpr ServiceNames kSmtp{"TarvelinSMTP", "smtp"};
constexpr ServiceNames kPop3{"TarvelinPOP3", "pop3"};
constexpr ServiceNames kControl{"TarvelinControl", "control"};
constexpr ServiceNames kIm{"TarvelinIM", "im"};
constexpr ServiceNames kCalendar{"TarvelinCalendar", "cal"};
// Id 7 reaches the control service but starts no program of its own.
constexpr ServiceNames kControlNoProgram{"TarvelinControl", nullptr};

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

}  // namespace tarvelin
