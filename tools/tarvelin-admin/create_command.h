// create: lays out a fresh installation (settings.cfg with the built-in
// values and their defaults, and the domain list), for trying the tools.
#pragma once

#include <string>
#include <vector>

#include "cli_output.h"

namespace tarvelin::cli {

void CreateInstallation(const Output& out, const std::string& install_dir,
                        const std::vector<std::string>& domains);

}  // namespace tarvelin::cli
