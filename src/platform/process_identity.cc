#include "platform/process_identity.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tarvelin {

Result<std::string> LoadedFileOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') {
    return Status::NotFound("no loaded file holds the address");
  }
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved) == nullptr) {
    return Status::IOError(std::string("resolve ") + info.dli_fname, errno);
  }
  return std::string(resolved);
}

bool RunningAsSuperUser() { return ::geteuid() == 0; }

}  // namespace tarvelin
