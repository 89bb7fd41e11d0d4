#include "platform/system_error.h"

#include <string.h>

#include <cerrno>

namespace tarvelin {

int LastSystemError() { return errno; }

std::string SystemErrorText(int code) {
  char buffer[256];
  // The GNU strerror_r may answer with its own static text instead.
  return std::string(strerror_r(code, buffer, sizeof buffer));
}

}  // namespace tarvelin
