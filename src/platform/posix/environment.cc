#include "platform/posix/environment.h"

#include <cstdlib>

namespace tarvelin {

std::string GetEnvironment(const char* name) {
  const char* value = getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace tarvelin
