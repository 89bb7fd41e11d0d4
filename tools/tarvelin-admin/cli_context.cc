#include "cli_context.h"

#include "tarvelin/api.h"

namespace tarvelin::cli {

void Session::Open() const {
  const int32_t result = ::Init(install_dir.empty() ? nullptr : install_dir.c_str());
  if (result != 0) {
    throw CommandError("cannot load the installation" +
                       (install_dir.empty() ? std::string(" named by TARVELIN_INSTALL_DIR")
                                            : " in " + install_dir) +
                       " (no readable config/settings.cfg)");
  }
}

}  // namespace tarvelin::cli
