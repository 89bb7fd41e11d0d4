// Temporary files that the library's whole-file writes left behind when
// their program ended before putting them in place.
#include "core/context.h"
#include "jobs/check/check_steps.h"
#include "platform/os_path.h"
#include "platform/stale_temp_files.h"

namespace tarvelin {

namespace {

// The stale temporary files of `folder`; its sub-folders into `sub_folders`.
void LookIn(Env& env, const std::string& folder, const ProblemReport& report,
            std::vector<std::string>* sub_folders) {
  std::vector<DirectoryEntry> entries;
  if (!env.ListDirectory(folder, &entries).ok()) return;
  for (const DirectoryEntry& entry : entries) {
    if (entry.is_directory) {
      if (sub_folders != nullptr && entry.name != "." && entry.name != "..") {
        sub_folders->push_back(folder + entry.name + kPathSeparator);
      }
      continue;
    }
    const int64_t process = TempFileProcess(entry.name);
    if (process < 0 || env.ProcessRunning(process)) continue;
    report({ProblemLevel::kWarning, folder + entry.name,
            "a temporary file of program " + std::to_string(process) +
                ", which ended before it put the file in place; the next backup or "
                "restore removes it"});
  }
}

}  // namespace

void CheckStaleTempFiles(const Context& context, const ProblemReport& report) {
  const std::string& config = context.api.config_path;
  if (config.empty()) return;
  std::vector<std::string> domain_folders;
  LookIn(context.env(), config, report, &domain_folders);
  for (const std::string& folder : domain_folders) {
    LookIn(context.env(), folder, report, nullptr);
  }
}

}  // namespace tarvelin
