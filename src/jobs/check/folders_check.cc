// Folder settings that name folders outside the installation. An admin may
// have put the mail or the logs elsewhere on purpose, so these are
// warnings: the check says which setting names what, and leaves it.
#include <filesystem>

#include "config/path_dat.h"
#include "core/config/configuration.h"
#include "core/context.h"
#include "foundation/text.h"
#include "jobs/check/check_steps.h"
#include "platform/os_path.h"
#include "schema/config_offsets.h"

namespace tarvelin {

namespace {

constexpr int kBackupFolders = 26988;  // setting 429, ";"-separated

struct RecordFolder {
  int offset;
  const char* name;
};
constexpr RecordFolder kRecordFolders[] = {
    {offsets::kTempDirectory, "temporary folder (setting 22)"},
    {offsets::kMailRoot, "mail root (setting 23)"},
    {offsets::kLogDirectory, "log folder (setting 24)"},
    {offsets::kExtraDirectory, "folder of setting 154"},
};

struct PathDatFolder {
  int line;
  const char* name;
};
constexpr PathDatFolder kPathDatFolders[] = {
    {kPathDatConfigDirectory, "configuration folder (line 1)"},
    {6, "spam folder (line 6)"},
    {7, "calendar folder (line 7)"},
    {8, "forward folder (line 8)"},
    {9, "retry folder (line 9)"},
};

std::string Normal(const std::string& path) {
  return WithTrailingSeparator(std::filesystem::path(path).lexically_normal().string());
}

bool Below(const std::string& path, const std::string& folder) {
  return path.starts_with(folder);
}

class FolderSettings {
 public:
  FolderSettings(const Context& context, const ProblemReport& report)
      : context_(context),
        report_(report),
        install_(Normal(ToOsPath(context.api.install_path))) {}

  // Warns when `value` (below the installation unless absolute) lies
  // outside the installation, by its text or, for a folder that exists,
  // by where it really is.
  void Look(const std::string& file, const std::string& setting, const std::string& value) {
    const std::string os = ToOsPath(Trim(value));
    // An empty folder, or a bare separator (what the load makes of an
    // empty setting 154), names nothing.
    if (os.empty() || os == std::string(1, kPathSeparator)) return;
    const std::string path = Normal(IsAbsolutePath(os) ? os : install_ + os);
    if (Below(path, install_) || Really(path)) return;
    report_({ProblemLevel::kWarning, file,
             "the " + setting + " names " + os + ", outside the installation " + install_});
  }

 private:
  // Below the installation once links are followed.
  bool Really(const std::string& path) const {
    const Result<std::string> real = context_.env().RealPath(path);
    const Result<std::string> install = context_.env().RealPath(install_);
    return real.ok() && install.ok() && Below(Normal(*real), Normal(*install));
  }

  const Context& context_;
  const ProblemReport& report_;
  const std::string install_;
};

}  // namespace

void CheckFolderSettings(const Context& context, const ProblemReport& report) {
  if (context.api.install_path.empty()) return;
  FolderSettings folders(context, report);
  const std::string settings = context.api.config_path + kSettingsFileName;
  const ServerConfig& record = context.config.record;
  for (const RecordFolder& folder : kRecordFolders) {
    folders.Look(settings, folder.name, record.Text(folder.offset));
  }
  for (const std::string& item : Split(record.Text(kBackupFolders), ';')) {
    folders.Look(settings, "folder to back up (setting 429)", item);
  }
  const std::string path_dat = context.api.install_path + "path.dat";
  for (const PathDatFolder& folder : kPathDatFolders) {
    folders.Look(path_dat, folder.name, context.config.path_dat.line(folder.line));
  }
}

}  // namespace tarvelin
