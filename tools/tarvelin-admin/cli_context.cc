#include "cli_context.h"

#include <cerrno>
#include "core/config/init.h"
#include "core/config/load_damage.h"

namespace tarvelin::cli {

namespace {

std::string Line(const FileProblem& problem) { return problem.file + ": " + problem.problem; }

}  // namespace

void Session::Open() {
  const Status loaded = Init(*context_, install_dir.empty() ? nullptr : install_dir.c_str());
  if (!loaded.ok()) {
    throw CommandError(
        "cannot load the installation" +
            (install_dir.empty() ? std::string(" named by TARVELIN_INSTALL_DIR")
                                 : " in " + install_dir) +
            ": " + loaded.ToString(),
        loaded.sys_errno() == ENOENT ? ExitCode::kNotFound : ExitCodeOf(loaded.code()));
  }
  const LoadDamageFound damage = LoadDamage(*context_);
  for (const FileProblem& problem : damage.list) out.Warn(Line(problem));
  for (const FileProblem& problem : damage.records) out.Warn(Line(problem));
  list_damage_ = damage.list;
}

void Session::OpenToChangeSettings() {
  Open();
  if (list_damage_.empty()) return;
  throw CommandError("not saving over the damaged " + list_damage_.front().file +
                         ": it would lose for good what is left of it; restore it from a "
                         "backup (tarvelin-admin restore), then try again",
                     ExitCode::kDamaged);
}

}  // namespace tarvelin::cli
