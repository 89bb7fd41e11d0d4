#include "cli_context.h"

#include <cerrno>
#include <vector>

#include "core/config/init.h"
#include "core/config/load_damage.h"

namespace tarvelin::cli {

namespace {

std::string Line(const FileProblem& problem) { return problem.file + ": " + problem.problem; }

}  // namespace

void Session::Open() {
  const Status loaded = Init(*context_, install_dir.empty() ? nullptr : install_dir.c_str());
  if (!loaded.ok()) {
    throw CommandError("cannot load the installation" +
                       (install_dir.empty() ? std::string(" named by TARVELIN_INSTALL_DIR")
                                            : " in " + install_dir) +
                       ": " + loaded.ToString(),
                       loaded.sys_errno() == ENOENT ? ExitCode::kNotFound : ExitCodeOf(loaded.code()));
  }
  for (const FileProblem& problem : LoadDamage(*context_)) out.Warn(Line(problem));
}

void Session::OpenToChangeSettings() {
  Open();
  const std::vector<FileProblem> damage = DamageASaveWouldOverwrite(*context_);
  if (damage.empty()) return;
  throw CommandError("not saving over the damaged " + damage.front().file +
                         ": it would lose for good what is left of it; restore it from a "
                         "backup (tarvelin-admin restore), then try again",
                     ExitCode::kDamaged);
}

}  // namespace tarvelin::cli
