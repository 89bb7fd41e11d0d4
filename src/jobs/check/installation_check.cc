#include "jobs/check/installation_check.h"

#include "jobs/check/check_steps.h"

namespace tarvelin {

void CheckInstallation(Context& context, const ProblemReport& report,
                       const CheckOptions& options) {
  CheckConfigurationFiles(context, report);
  CheckDuplicateAliases(context, report);
  CheckSharedMailFolders(context, options, report);
  CheckFolderSettings(context, report);
  CheckStaleTempFiles(context, report);
}

}  // namespace tarvelin
