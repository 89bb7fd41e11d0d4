// The steps of CheckInstallation (installation_check.h), each reporting
// what it finds.
#pragma once

#include <optional>
#include <string>

#include "core/file_problems.h"
#include "jobs/check/installation_check.h"
#include "platform/env.h"

namespace tarvelin {

class Context;

// Missing (when `required`), no regular file, or unreadable: kDamaged.
// False when the file is not there to look at any further.
bool CheckReadable(Env& env, const std::string& path, bool required, const ProblemReport& report);

// settings.cfg, domains.cfg, remote.cfg, and each listed domain's folder,
// domain.cfg and users.cfg. May load the configuration again
// (SettledListDamage).
void CheckConfigurationFiles(Context& context, const ProblemReport& report);
// Aliases answered by two accounts of one domain.
void CheckDuplicateAliases(const Context& context, const ProblemReport& report);
// User accounts whose mail folders are one.
void CheckSharedMailFolders(const Context& context, const CheckOptions& options,
                            const ProblemReport& report);
// Folder settings that name folders outside the installation.
void CheckFolderSettings(const Context& context, const ProblemReport& report);
// Temporary files of ended programs in the configuration folder and the
// domain folders.
void CheckStaleTempFiles(const Context& context, const ProblemReport& report);

}  // namespace tarvelin
