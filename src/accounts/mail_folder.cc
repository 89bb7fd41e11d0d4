#include "accounts/mail_folder.h"

#include "config/config_offsets.h"
#include "foundation/bytes.h"
#include "frame/library.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {
constexpr int kMailboxPath = 1028;
constexpr int kMailboxPathCapacity = 127;
}  // namespace

std::string AccountMailFolder(const Library& library, const UserRecord& record) {
  std::string path = GetPString(record.data() + kMailboxPath, kMailboxPathCapacity);
  if (path.empty()) return {};
  for (char& c : path) {
    if (c == '\\') c = kPathSeparator;
  }
  if (!IsAbsolutePath(path)) {
    std::string root = library.config.record.Text(offsets::kMailRoot);
    for (char& c : root) {
      if (c == '\\') c = kPathSeparator;
    }
    if (!IsAbsolutePath(root)) root = library.api.install_path + root;
    path = WithTrailingSeparator(root) + path;
  }
  return WithTrailingSeparator(path);
}

}  // namespace tarvelin
