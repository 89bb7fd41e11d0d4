// Temporary files that the library's whole-file writes left behind when
// their program ended before putting them in place.
#include "core/context.h"
#include "jobs/check/check_steps.h"
#include "platform/stale_temp_files.h"

namespace tarvelin {

void CheckStaleTempFiles(const Context& context, const ProblemReport& report) {
  const std::string& config = context.api.config_path;
  if (config.empty()) return;
  // The configuration folder and its domain folders.
  FindStaleTempFiles(context.env(), config, /*depth=*/1,
                     [&](const std::string& path, int64_t process) {
                       report({ProblemLevel::kWarning, path,
                               "a temporary file of program " + std::to_string(process) +
                                   ", which ended before it put the file in place; the next "
                                   "backup or restore removes it"});
                     });
}

}  // namespace tarvelin
