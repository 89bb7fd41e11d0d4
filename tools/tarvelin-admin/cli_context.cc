#include "cli_context.h"

#include <cerrno>

#include "core/config/init.h"

namespace tarvelin::cli {

void Session::Open() {
  const Status loaded = Init(*context_, install_dir.empty() ? nullptr : install_dir.c_str());
  if (!loaded.ok()) {
    throw CommandError("cannot load the installation" +
                       (install_dir.empty() ? std::string(" named by TARVELIN_INSTALL_DIR")
                                            : " in " + install_dir) +
                       ": " + loaded.ToString(),
                       loaded.sys_errno() == ENOENT ? ExitCode::kNotFound : ExitCodeOf(loaded.code()));
  }
}

}  // namespace tarvelin::cli
