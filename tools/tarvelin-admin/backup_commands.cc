// backup FILE and restore FILE, with a progress bar when standard output is
// a terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_context.h"
#include "jobs/backup/archive_inspection.h"
#include "jobs/backup/backup_config.h"
#include "jobs/backup/restore_config.h"
#include "terminal.h"

namespace tarvelin::cli {

namespace {

std::string Mebibytes(int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / 1048576.0);
  return text;
}

// Draws one line, redrawn in place; only worth it on a terminal.
class ProgressBar {
 public:
  explicit ProgressBar(std::string verb) : verb_(std::move(verb)) {}
  ~ProgressBar() {
    if (drawn_) std::fputs("\r\033[K", stdout);
    std::fflush(stdout);
  }

  void Show(const ArchiveProgress& progress) {
    const int64_t permille =
        progress.bytes_total > 0 ? progress.bytes_done * 1000 / progress.bytes_total : 0;
    // Redraw when the figure moves, not for every small file.
    if (drawn_ && permille == last_permille_ && progress.files_done % 64 != 0) return;
    last_permille_ = permille;
    drawn_ = true;
    std::string line = "\r" + verb_ + " " + ProgressBarText(permille, 1000) + " " +
                       std::to_string(permille / 10) + "%  " + std::to_string(progress.files_done);
    if (progress.files_total > 0) line += "/" + std::to_string(progress.files_total);
    line += " files  " + Mebibytes(progress.bytes_done);
    if (progress.bytes_total > 0) line += " of " + Mebibytes(progress.bytes_total);
    line += "\033[K";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
  }

 private:
  std::string verb_;
  bool drawn_ = false;
  int64_t last_permille_ = -1;
};

// The progress callback: a bar on a terminal, nothing otherwise.
ArchiveProgressFn ProgressFor(ProgressBar* bar) {
  if (!StandardOutputIsTerminal()) return {};
  return [bar](const ArchiveProgress& progress) { bar->Show(progress); };
}

// The archive's name once its date stamps are expanded is the one shown.
void Backup(Session& session, const std::string& file) {
  Status result;
  std::string written = file;
  {
    ProgressBar bar("backup");
    result = BackupConfiguration(session.context(), file, ProgressFor(&bar), &written);
  }
  Check(result, "backup to " + written + " failed");
  session.out.Emit({{"backup", written}, {"result", 0}}, "backed up to " + written);
}

// Refuses a file a restore would take without writing anything from it:
// the library reads any file as an archive, so an empty one, or one whose
// entries all lead elsewhere, "restores" nothing.
void RequireRestorableArchive(Session& session, const std::string& file) {
  const ArchiveInspection archive =
      Checked(InspectArchive(session.context().env(), file), "cannot restore");
  if (archive.restorable > 0) return;
  std::string why;
  if (archive.size == 0) {
    why = "the file is empty";
  } else if (!archive.has_magic && archive.entries == 0) {
    why = "it is no backup archive: it does not begin with \"ILDS\" and holds no entry";
  } else if (archive.entries == 0) {
    why = "the archive holds no entries";
  } else {
    why = "no entry of it names a file of an installation";
  }
  throw CommandError("nothing to restore from " + file + ": " + why + "; nothing was changed",
                     ExitCode::kDamaged);
}

void Restore(Session& session, const std::string& file, bool relocate) {
  RequireRestorableArchive(session, file);
  Status result;
  std::vector<ForeignFolder> foreign;
  {
    ProgressBar bar("restore");
    result = RestoreConfiguration(session.context(), file, ProgressFor(&bar), relocate, &foreign);
  }
  Check(result, result.Is(StatusCode::kNotFound) ? "cannot restore"
                                                 : "restore from " + file + " is incomplete");
  nlohmann::json folders = nlohmann::json::array();
  std::string human = "restored from " + file;
  if (!foreign.empty()) {
    human += relocate ? "\nfolders of the source installation, now this one's:"
                      : "\nfolders of the source installation (--relocate rewrites them):";
  }
  for (const ForeignFolder& folder : foreign) {
    folders.push_back(
        {{"setting", folder.setting}, {"value", folder.value}, {"here", folder.here}});
    human += "\n  " + folder.setting + ": " + folder.value + " -> " + folder.here;
  }
  session.out.Emit({{"restore", file},
                    {"result", 0},
                    {"foreign_folders", folders},
                    {"relocated", relocate && !foreign.empty()}},
                   human);
}

}  // namespace

void RegisterBackupCommands(CLI::App& app, Session& session) {
  static std::string file;
  CLI::App* backup = app.add_subcommand("backup", "Pack the configuration into an archive");
  backup->add_option("FILE", file, "Archive to write; \"yyyymmdd\" in quotes becomes the date")
      ->required();
  backup->callback([&session] {
    session.Open();
    Backup(session, file);
  });

  CLI::App* restore =
      app.add_subcommand("restore", "Unpack an archive over the installation and reload");
  static bool relocate = false;
  restore->add_option("FILE", file, "Archive to read")->required();
  restore->add_flag("--relocate", relocate,
                    "Rewrite folder settings of the archive's installation to this one");
  restore->callback([&session] {
    session.Open();
    Restore(session, file, relocate);
  });
}

}  // namespace tarvelin::cli
