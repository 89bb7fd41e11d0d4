// Opens the installation the command works on, through the library's Init.
#pragma once

#include <string>

namespace tarvelin::cli {

// Init with `install_dir`, or with $TARVELIN_INSTALL_DIR when it is empty;
// throws CommandError when the installation cannot be loaded.
void OpenInstallation(const std::string& install_dir);

}  // namespace tarvelin::cli
