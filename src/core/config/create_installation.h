// A fresh installation: the configuration of a new server, written where
// none exists yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// Makes `context` the installation in `install_dir` with the built-in
// settings and the defaults pass, its temporary, mail and log folders
// inside it, and `domains` listed in this order, then writes settings.cfg
// and domains.cfg and each domain's record as AddDomain writes it (the keys
// of default.ini when setting 77 asks for them). The shipped property names
// go to api/delphi/apiconst.pas unless the folder has a copy already.
// AlreadyExists when
// settings.cfg exists there; InvalidArgument for an empty folder, a domain
// name that is not valid or one listed twice; IOError when nothing could be
// written (or a domain's record could not). Nothing is written on a
// refusal.
Status CreateInstallation(Context& context, std::string_view install_dir,
                          const std::vector<std::string>& domains);

}  // namespace tarvelin
