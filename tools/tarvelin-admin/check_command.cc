// check: verifies an installation and lists each problem on one line,
// changing nothing.
#include <iostream>
#include <string>

#include "cli_context.h"
#include "core/config/init.h"
#include "core/context.h"
#include "jobs/check/installation_check.h"

namespace tarvelin::cli {

namespace {

constexpr const char* kCheckRule =
    "Each problem is one line: level, file, problem. Levels: \"damaged\" (a file is damaged or "
    "cannot be read), \"error\" (two accounts answer one alias or share a mail folder), "
    "\"warning\" (a folder setting names a folder outside the installation, a temporary file "
    "left behind). Exits 0 when there are warnings at most, 5 when a file is damaged or "
    "unreadable, else 4 when a check fails. Reads only: nothing is repaired or written.";

std::string Plural(int64_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

void CheckCommand(Session& session) {
  Context& context = session.context();
  LoadToInspect(context, session.install_dir.empty() ? nullptr : session.install_dir.c_str());
  if (context.api.install_path.empty()) {
    throw CommandError("no installation named: give --install-dir or set TARVELIN_INSTALL_DIR",
                       ExitCode::kUsage);
  }
  if (!context.env().GetPathInfo(context.api.config_path, Links::kFollow).ok()) {
    throw CommandError("there is no installation in " + context.api.install_path + ": " +
                           context.api.config_path + " is missing",
                       ExitCode::kNotFound);
  }
  int64_t damaged = 0, errors = 0, warnings = 0;
  nlohmann::json problems = nlohmann::json::array();
  CheckInstallation(context, [&](const FileProblem& problem) {
    switch (problem.level) {
      case ProblemLevel::kDamaged:
        ++damaged;
        break;
      case ProblemLevel::kError:
        ++errors;
        break;
      case ProblemLevel::kWarning:
        ++warnings;
        break;
    }
    const std::string level(LevelName(problem.level));
    if (session.out.json) {
      problems.push_back({{"level", level}, {"file", problem.file}, {"problem", problem.problem}});
    } else {
      std::cout << level << ": " << problem.file << ": " << problem.problem << std::endl;
    }
  });
  const std::string summary = damaged + errors + warnings == 0
                                  ? "no problems found in " + context.api.install_path
                                  : Plural(damaged, "damaged file", "damaged files") + ", " +
                                        Plural(errors, "error", "errors") + ", " +
                                        Plural(warnings, "warning", "warnings");
  session.out.Emit(problems, summary);
  if (damaged > 0) {
    throw CommandError("the installation has damaged or unreadable files", ExitCode::kDamaged);
  }
  if (errors > 0) throw CommandError("the installation fails its checks", ExitCode::kRefused);
}

}  // namespace

void RegisterCheckCommand(CLI::App& app, Session& session) {
  CLI::App* check = app.add_subcommand(
      "check", "Verify the files of the installation and list what is wrong, changing nothing");
  // The rule, then the exit codes every command states.
  check->footer(std::string(kCheckRule) + "\n\n" + app.get_footer());
  check->callback([&session] { CheckCommand(session); });
}

}  // namespace tarvelin::cli
