#include "platform/path_identity.h"

#include <sys/stat.h>

#include <string>

#include "platform/os_path.h"

namespace tarvelin {

bool GetPathIdentity(std::string_view path, PathIdentity* out) {
  struct stat st;
  if (stat(ToOsPath(path).c_str(), &st) != 0) return false;
  out->device = static_cast<uint64_t>(st.st_dev);
  out->inode = static_cast<uint64_t>(st.st_ino);
  return true;
}

}  // namespace tarvelin
