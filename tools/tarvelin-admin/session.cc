#include "session.h"

#include "cli_output.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

void OpenInstallation(const std::string& install_dir) {
  const int32_t result = ::Init(install_dir.empty() ? nullptr : install_dir.c_str());
  if (result != 0) {
    throw CommandError("cannot load the installation" +
                       (install_dir.empty() ? std::string(" named by TARVELIN_INSTALL_DIR")
                                            : " in " + install_dir) +
                       " (no readable config/settings.cfg)");
  }
}

}  // namespace tarvelin::cli
