#include "jobs/backup/work_files.h"

#include "platform/stale_temp_files.h"
#include "store/lock_names.h"

namespace tarvelin {

bool IsTemporaryFileName(std::string_view name) {
  return TempFileProcess(name) >= 0 || name == "users.cfg.tmp" || name == "remote.cfg.tmp";
}

bool IsWorkFileOfConfig(std::string_view relative) {
  return relative == kLockFileName || IsTemporaryFileName(relative.substr(relative.rfind('/') + 1));
}

}  // namespace tarvelin
